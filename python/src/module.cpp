// abacor._abacor: the engine's bindings. The Python package checks and shapes
// the user's data; this module only sees plain float64 and int64 arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "column_provider.h"
#include "compiled_formula.h"
#include "csv_provider.h"
#include "formula_runner.h"

namespace py = pybind11;

namespace abacor_py {
namespace {

using DoubleArray = py::array_t<double, py::array::c_style | py::array::forcecast>;
using StampArray = py::array_t<int64_t, py::array::c_style | py::array::forcecast>;

// Bars handed over from Python: the arrays are kept alive while the columns
// point into them.
struct HeldBars {
  std::vector<DoubleArray> arrays;
  StampArray stamps;
  BarColumns columns;
};

const double* Column(const DoubleArray& a, py::ssize_t n, const char* name) {
  if (a.ndim() != 1 || a.shape(0) != n) throw py::value_error(std::string("column ") + name + " has the wrong length");
  return a.data();
}

// (open, high, low, close, volume, amount or None, stamps, local)
HeldBars TakeBars(const py::tuple& t) {
  if (t.size() != 8) throw py::value_error("bars are (open, high, low, close, volume, amount, stamps, local)");
  HeldBars held;
  held.stamps = t[6].cast<StampArray>();
  const py::ssize_t n = held.stamps.ndim() == 1 ? held.stamps.shape(0) : -1;
  if (n < 1 || n > std::numeric_limits<int32_t>::max() / 2) throw py::value_error("no bars, or too many");
  static const char* const kNames[] = {"open", "high", "low", "close", "volume", "amount"};
  const double* columns[6] = {};
  for (int c = 0; c < 6; ++c) {
    if (t[c].is_none()) continue;
    held.arrays.push_back(t[c].cast<DoubleArray>());
    columns[c] = Column(held.arrays.back(), n, kNames[c]);
  }
  for (int c = 0; c < 5; ++c)
    if (!columns[c]) throw py::value_error(std::string("column ") + kNames[c] + " is missing");
  held.columns = BarColumns{columns[0],         columns[1],        columns[2],
                            columns[3],         columns[4],        columns[5],
                            held.stamps.data(), t[7].cast<bool>(), static_cast<int32_t>(n)};
  return held;
}

py::array_t<double> NewMatrix(size_t rows, size_t cols) {
  return py::array_t<double>(std::vector<py::ssize_t>{static_cast<py::ssize_t>(rows), static_cast<py::ssize_t>(cols)});
}

py::object CompileError(const CompiledFormula& f) {
  if (f.Ok()) return py::none();
  const auto& e = f.Error();
  auto text = [](const std::string& utf8) { return py::bytes(utf8).attr("decode")("utf-8", "replace"); };
  return py::make_tuple(e.code, e.line, e.column, e.position, text(e.message),
                        text(abacor_host::DescribeCompileError(f.Text(), e)));
}

// None, or (kind, column, row) as BarProblem has them.
py::object Problem(const BarProblem& p) {
  if (p.kind == BarProblem::kNone) return py::none();
  return py::make_tuple(p.kind, p.column, p.row);
}

py::object Check(const py::tuple& bars) {
  HeldBars held = TakeBars(bars);
  BarProblem problem;
  {
    py::gil_scoped_release release;
    problem = CheckBars(held.columns);
  }
  return Problem(problem);
}

py::array_t<double> Run(CompiledFormula& f, const py::tuple& bars) {
  HeldBars held = TakeBars(bars);
  const size_t n = static_cast<size_t>(held.columns.count);
  py::array_t<double> out = NewMatrix(f.OutputNames().size(), n);
  double* data = out.mutable_data();
  bool ok = false;
  {
    py::gil_scoped_release release;
    ok = f.Run(held.columns, data);
  }
  if (!ok) throw std::runtime_error("the calculation failed");
  return out;
}

py::tuple Screen(CompiledFormula& f, const py::list& instruments, int workers) {
  std::vector<HeldBars> held;
  held.reserve(instruments.size());
  for (const auto& item : instruments) held.push_back(TakeBars(item.cast<py::tuple>()));
  std::vector<BarColumns> columns;
  for (const auto& h : held) columns.push_back(h.columns);
  py::array_t<double> out = NewMatrix(columns.size(), f.OutputNames().size());
  double* data = out.mutable_data();
  std::vector<BarProblem> problems;
  {
    py::gil_scoped_release release;
    f.ScreenLast(columns, workers, data, &problems);
  }
  py::list found;
  for (const auto& p : problems) found.append(Problem(p));
  return py::make_tuple(out, found);
}

// A live stream with its own lock: one update or append at a time.
class PyStream {
 public:
  PyStream(const CompiledFormula& f, const py::tuple& bars) {
    HeldBars held = TakeBars(bars);
    py::gil_scoped_release release;
    stream_ = std::make_unique<BarStream>(f, held.columns);
  }
  std::vector<double> Update(const BarStream::Bar& bar) { return Apply(bar, false); }
  std::vector<double> Append(const BarStream::Bar& bar) { return Apply(bar, true); }
  int32_t Count() const { return stream_->Count(); }
  bool HasAmount() const { return stream_->HasAmount(); }
  bool Local() const { return stream_->Local(); }
  py::array_t<int64_t> Stamps() const {
    py::array_t<int64_t> out(stream_->Count());
    int64_t* data = out.mutable_data();
    for (int32_t i = 0; i < stream_->Count(); ++i) data[i] = stream_->Stamp(i);
    return out;
  }
  py::array_t<double> ReadAll(size_t outputs) {
    py::array_t<double> out = NewMatrix(outputs, static_cast<size_t>(stream_->Count()));
    double* data = out.mutable_data();
    py::gil_scoped_release release;
    std::lock_guard<std::mutex> lock(lock_);
    stream_->ReadAll(data);
    return out;
  }

 private:
  std::vector<double> Apply(const BarStream::Bar& bar, bool append) {
    std::vector<double> newest;
    bool ok = false;
    {
      py::gil_scoped_release release;
      std::lock_guard<std::mutex> lock(lock_);
      ok = append ? stream_->Append(bar, &newest) : stream_->Update(bar, &newest);
    }
    if (!ok) throw std::runtime_error("the calculation failed");
    return newest;
  }

  std::unique_ptr<BarStream> stream_;
  std::mutex lock_;
};

BarStream::Bar MakeBar(double open, double high, double low, double close, double volume, double amount,
                       int64_t stamp) {
  return BarStream::Bar{open, high, low, close, volume, amount, stamp};
}

// A CSV file as the command line reads it: (open, high, low, close, volume,
// amount or None, local wall-clock stamps); ValueError names the file and line.
py::tuple ReadCsv(const std::string& path) {
  abacor_host::CsvBarProvider provider;
  std::string error;
  bool ok = false;
  {
    py::gil_scoped_release release;
    ok = provider.Load(path, &error);
  }
  if (!ok) throw py::value_error(error);
  const auto& bars = provider.Bars();
  const py::ssize_t n = static_cast<py::ssize_t>(bars.size());
  const bool hasAmount = !bars.empty() && bars[0].hasAmount;
  std::vector<py::array_t<double>> columns;
  for (int c = 0; c < 6; ++c) columns.emplace_back(n);
  py::array_t<int64_t> stamps(n);
  double* cols[6];
  for (int c = 0; c < 6; ++c) cols[c] = columns[c].mutable_data();
  int64_t* st = stamps.mutable_data();
  for (py::ssize_t i = 0; i < n; ++i) {
    const auto& b = bars[static_cast<size_t>(i)];
    cols[0][i] = b.open;
    cols[1][i] = b.high;
    cols[2][i] = b.low;
    cols[3][i] = b.close;
    cols[4][i] = b.volume;
    cols[5][i] = b.amount;
    st[i] = EpochToLocalStamp(b.time);
  }
  py::object amount = hasAmount ? py::object(columns[5]) : py::object(py::none());
  return py::make_tuple(columns[0], columns[1], columns[2], columns[3], columns[4], amount, stamps);
}

}  // namespace
}  // namespace abacor_py

PYBIND11_MODULE(_abacor, m) {
  using namespace abacor_py;
  m.doc() = "Bindings of the Abacor formula engine (use the abacor package).";
  py::class_<CompiledFormula>(m, "Compiled")
      .def(py::init<std::string, Params>(), py::arg("text"), py::arg("params"))
      .def_property_readonly("error", &CompileError)
      .def_property_readonly("outputs", &CompiledFormula::OutputNames)
      .def("run", &Run, py::arg("bars"))
      .def("screen", &Screen, py::arg("instruments"), py::arg("workers"));
  py::class_<PyStream>(m, "Stream")
      .def(py::init<const CompiledFormula&, const py::tuple&>(), py::keep_alive<1, 2>())
      .def("update", [](PyStream& s, double o, double h, double l, double c, double v, double a,
                        int64_t t) { return s.Update(MakeBar(o, h, l, c, v, a, t)); })
      .def("append", [](PyStream& s, double o, double h, double l, double c, double v, double a,
                        int64_t t) { return s.Append(MakeBar(o, h, l, c, v, a, t)); })
      .def_property_readonly("count", &PyStream::Count)
      .def_property_readonly("has_amount", &PyStream::HasAmount)
      .def_property_readonly("local", &PyStream::Local)
      .def("stamps", &PyStream::Stamps)
      .def("read_all", &PyStream::ReadAll);
  m.def("read_csv", &ReadCsv, py::arg("path"));
  m.def("check", &Check, py::arg("bars"));
}
