// The engine's side of bench/compare: writes the random-walk bars every peer
// reads, then times bulk, tick, append, compile and draw records with a plain
// process-CPU timer, repeated, and prints one JSON object of medians.
//
//   abacor_compare_timer --data FILE [--bulk-reps R] [--big N] [--small N] [--batches B]
//   abacor_compare_timer --peak N [--all]     (peak memory of bulk in a fresh process)
//   --suite ma,macd,...                       (only these suite formulas)
//
// The bars file holds five columns of N little-endian doubles, one column after
// the other: open, high, low, close, volume (the order of the `cols` below).
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

using bench::Engine;
// The bars as a host that keeps them in arrays hands them over.
using RandomWalkProvider = bench::ColumnWalkProvider;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 != 0 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

// The suite formulas to run: all, or those named (comma-separated) by --suite.
std::string g_only;

const std::vector<bench::SuiteFormula>& Suite() {
  static const std::vector<bench::SuiteFormula> suite = [] {
    std::vector<bench::SuiteFormula> chosen;
    for (auto& f : bench::LoadSuite()) {
      if (g_only.empty() || ("," + g_only + ",").find("," + f.name + ",") != std::string::npos) {
        chosen.push_back(f);
      }
    }
    return chosen;
  }();
  return suite;
}

// The provider's own columns, rebuilt with the same recipe (same seed) as the
// bars the provider serves.
bool WriteBars(const std::string& path, int32_t n) {
  std::mt19937_64 rng(20061229);
  std::normal_distribution<double> step(0.0, 0.01);
  std::uniform_real_distribution<double> spread(0.0, 0.01);
  std::uniform_real_distribution<double> vol(1e5, 5e6);
  std::vector<double> cols[5];
  double price = 20.0;
  for (int32_t i = 0; i < n; ++i) {
    const double open = price;
    price *= std::exp(step(rng));
    const double close = price;
    cols[1].push_back(std::max(open, close) * (1 + spread(rng)));
    cols[2].push_back(std::min(open, close) * (1 - spread(rng)));
    cols[0].push_back(open);
    cols[3].push_back(close);
    cols[4].push_back(vol(rng));
  }
  std::ofstream out(path, std::ios::binary);
  for (const auto& c : cols)
    out.write(reinterpret_cast<const char*>(c.data()), static_cast<std::streamsize>(c.size() * sizeof(double)));
  return static_cast<bool>(out);
}

// Cross-check: the provider serves exactly the bars written to the file.
bool SameAsProvider(const std::string& path, int32_t n) {
  RandomWalkProvider p(n, n);
  std::ifstream in(path, std::ios::binary);
  std::vector<double> col(static_cast<size_t>(n));
  const int32_t fields[5] = {2, 1, 3, 4, 6};  // open, high, low, close, volume
  for (int32_t f : fields) {
    in.read(reinterpret_cast<char*>(col.data()), static_cast<std::streamsize>(col.size() * sizeof(double)));
    for (int32_t i = 0; i < n; i += 997) {
      double v = 0.0;
      if (!p.GetFieldValue(f, i, &v) || v != col[static_cast<size_t>(i)]) return false;
    }
  }
  return static_cast<bool>(in);
}

// (a) one whole-suite bulk run: compile, calculate, publish, read every output.
double BulkOnce(RandomWalkProvider& provider, int32_t n, std::vector<double>& values, bool* valid) {
  const double t0 = CpuSeconds();
  for (const auto& f : Suite()) {
    Engine e;
    if (!e.Setup(f.text, &provider)) {
      std::fprintf(stderr, "compile failed: %s\n", f.name.c_str());
      std::exit(1);
    }
    e.calc->Calculate(0, n - 1, false);
    e.calc->PublishResults();
    for (int32_t i = 0; i < e.outputs; ++i) e.calc->GetOutputValues(i, 0, n - 1, values.data(), valid);
  }
  return CpuSeconds() - t0;
}

double Bulk(int32_t n, int32_t reps) {
  RandomWalkProvider provider(n, n);
  std::vector<double> values(static_cast<size_t>(n));
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]);
  std::vector<double> times;
  for (int32_t r = 0; r < reps; ++r) times.push_back(BulkOnce(provider, n, values, valid.get()));
  return Median(times);
}

std::vector<std::unique_ptr<Engine>> Ready(RandomWalkProvider& provider, int32_t n) {
  std::vector<std::unique_ptr<Engine>> engines;
  for (const auto& f : Suite()) {
    engines.push_back(std::make_unique<Engine>());
    engines.back()->Setup(f.text, &provider);
    engines.back()->calc->Calculate(0, n - 1, false);
    engines.back()->calc->PublishResults();
  }
  return engines;
}

// (b) seconds per whole-suite tick: the newest close moves by the factor
// 1.0001, 0.9999, 1.0001, ... (high and low widen to hold it).
double Tick(int32_t n, int32_t batches, int32_t perBatch) {
  RandomWalkProvider provider(n, n);
  auto engines = Ready(provider, n);
  double factor = 1.0001;
  std::vector<double> times;
  for (int32_t b = 0; b < batches; ++b) {
    const double t0 = CpuSeconds();
    for (int32_t k = 0; k < perBatch; ++k) {
      provider.Tick(factor);
      factor = 2.0 - factor;
      for (auto& e : engines) {
        e->calc->Calculate(n - 1, n - 1, true);
        e->calc->PublishResults();
      }
    }
    times.push_back((CpuSeconds() - t0) / perBatch);
  }
  return Median(times);
}

// (c) seconds per whole-suite append: bar n, n + 1, ... become real one by one.
// The provider offers exactly the bars the run will reach.
double Append(int32_t n, int32_t batches, int32_t perBatch) {
  const int32_t capacity = n + batches * perBatch;
  RandomWalkProvider provider(n, capacity);
  auto engines = Ready(provider, n);
  std::vector<double> times;
  for (int32_t b = 0; b < batches; ++b) {
    const double t0 = CpuSeconds();
    for (int32_t k = 0; k < perBatch; ++k) {
      provider.SetTotal(provider.Total() + 1);
      const int32_t last = provider.Total() - 1;
      for (auto& e : engines) {
        e->calc->Calculate(last, last, false);
        e->calc->PublishResults();
      }
    }
    times.push_back((CpuSeconds() - t0) / perBatch);
  }
  return Median(times);
}

// (d) seconds per compilation of each suite formula.
std::vector<double> Compile(int32_t reps) {
  std::vector<double> out;
  for (const auto& f : Suite()) {
    std::vector<double> times;
    for (int32_t r = 0; r < reps; ++r) {
      const double t0 = CpuSeconds();
      for (int k = 0; k < 20; ++k) {
        IIndexParser* p = IndexObjCreator::CreateIndexParserObj();
        p->Compile(f.text, {}, {});
        IndexObjCreator::ReleaseIndexParserObj(&p);
      }
      times.push_back((CpuSeconds() - t0) / 20);
    }
    out.push_back(Median(times));
  }
  return out;
}

// (e) seconds per GetDrawInfo of the whole suite over the newest 2,000 bars.
double DrawInfo(int32_t n, int32_t reps) {
  RandomWalkProvider provider(n, n);
  auto engines = Ready(provider, n);
  std::vector<TarnDrawInfo::GraphDrawInfo> records;
  std::vector<double> times;
  for (int32_t r = 0; r < reps; ++r) {
    const double t0 = CpuSeconds();
    for (int k = 0; k < 10; ++k) {
      for (auto& e : engines) {
        e->calc->GetDrawInfo(n - 2000, n - 1, 0, std::set<int32_t>(), records);
        e->calc->ReleaseDrawInfo(records);
      }
    }
    times.push_back((CpuSeconds() - t0) / 10);
  }
  return Median(times);
}

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t len = std::strlen(key);
  while (std::getline(in, line)) {
    if (line.compare(0, len, key) == 0) return std::atol(line.c_str() + len + 1);
  }
  return -1;
}

// (f) peak resident memory of the bulk run, less what the process held before
// it (the bars themselves and the output buffer). With `all`, the whole suite
// stays alive at once, as on a chart that shows every indicator.
int Peak(int32_t n, bool all) {
  RandomWalkProvider provider(n, n);
  std::vector<double> values(static_cast<size_t>(n), 0.0);
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]());
  { std::ofstream("/proc/self/clear_refs") << "5"; }
  const long before = StatusKb("VmRSS:");
  std::vector<std::unique_ptr<Engine>> keep;
  for (const auto& f : Suite()) {
    auto e = std::make_unique<Engine>();
    e->Setup(f.text, &provider);
    e->calc->Calculate(0, n - 1, false);
    e->calc->PublishResults();
    for (int32_t i = 0; i < e->outputs; ++i) e->calc->GetOutputValues(i, 0, n - 1, values.data(), valid.get());
    if (all) keep.push_back(std::move(e));
    std::fprintf(stderr, "%-5s resident %ld KiB\n", f.name.c_str(), StatusKb("VmRSS:") - before);
  }
  const long peak = StatusKb("VmHWM:");
  std::printf("{\"bars\": %d, \"all\": %s, \"rss_before_kb\": %ld, \"peak_kb\": %ld, \"engine_peak_kb\": %ld}\n", n,
              all ? "true" : "false", before, peak, peak - before);
  return 0;
}

// Bulk seconds of each formula alone, for profiling.
int PerFormula(int32_t n) {
  RandomWalkProvider provider(n, n);
  std::vector<double> values(static_cast<size_t>(n));
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]);
  for (const auto& f : Suite()) {
    const double t0 = CpuSeconds();
    Engine e;
    e.Setup(f.text, &provider);
    e.calc->Calculate(0, n - 1, false);
    e.calc->PublishResults();
    for (int32_t i = 0; i < e.outputs; ++i) e.calc->GetOutputValues(i, 0, n - 1, values.data(), valid.get());
    std::printf("%-5s %8.1f ns/bar\n", f.name.c_str(), 1e9 * (CpuSeconds() - t0) / n);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data;
  int32_t big = 1000000, small = 10000, bulkReps = 3, batches = 31, peak = 0;
  bool all = false, perFormula = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
    if (a == "--data")
      data = next();
    else if (a == "--big")
      big = std::atoi(next().c_str());
    else if (a == "--small")
      small = std::atoi(next().c_str());
    else if (a == "--bulk-reps")
      bulkReps = std::atoi(next().c_str());
    else if (a == "--batches")
      batches = std::atoi(next().c_str());
    else if (a == "--peak")
      peak = std::atoi(next().c_str());
    else if (a == "--all")
      all = true;
    else if (a == "--per-formula")
      perFormula = true;
    else if (a == "--suite")
      g_only = next();
    else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (peak > 0) return Peak(peak, all);
  if (perFormula) return PerFormula(big);
  if (!data.empty() && (!WriteBars(data, big) || !SameAsProvider(data, big))) {
    std::fprintf(stderr, "could not write the bars to %s\n", data.c_str());
    return 1;
  }
  const int32_t perBatch = 100;
  const double bulkSmall = Bulk(small, std::max(bulkReps, 11));
  const double bulkBig = Bulk(big, bulkReps);
  const double tick = Tick(small, batches, perBatch);
  const double append = Append(small, batches, perBatch);
  const std::vector<double> compile = Compile(15);
  const double draw = DrawInfo(small, 15);
  std::printf(
      "{\"formulas\": %zu, \"bulk_small\": %.9g, \"bulk_big\": %.9g, \"tick\": %.9g, \"append\": %.9g,"
      " \"drawinfo\": %.9g, \"compile\": {",
      Suite().size(), bulkSmall, bulkBig, tick, append, draw);
  for (size_t i = 0; i < compile.size(); ++i) {
    std::printf("%s\"%s\": %.9g", i ? ", " : "", Suite()[i].name.c_str(), compile[i]);
  }
  std::printf("}, \"bulk_reps\": %d, \"batches\": %d, \"per_batch\": %d}\n", bulkReps, batches, perBatch);
  return 0;
}
