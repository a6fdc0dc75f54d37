#pragma once
// One compiled formula and the runs made of it: over whole columns, over the
// last bar of many instruments on a thread pool, and as a live stream.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "column_provider.h"
#include "formula_runner.h"

namespace abacor_py {

using Params = std::vector<std::pair<std::string, float>>;

// What is wrong with bars, found before calculating them.
struct BarProblem {
  enum Kind { kNone, kNotANumber, kOutOfOrder, kTooOld, kCalculationFailed };
  int32_t kind = kNone;
  int32_t column = -1;  // 0 open ... 5 amount, for kNotANumber
  int64_t row = -1;     // the first bar that shows it
};

// The first problem of the bars: a value that is not finite, a date not after
// the one before, a first date before 1900.
BarProblem CheckBars(const BarColumns& bars);

class CompiledFormula {
 public:
  CompiledFormula(std::string text, Params params);
  CompiledFormula(const CompiledFormula&) = delete;
  CompiledFormula& operator=(const CompiledFormula&) = delete;

  bool Ok() const { return ok_; }
  const abacor_host::CompileError& Error() const { return error_; }
  const std::vector<std::string>& OutputNames() const { return names_; }
  const std::string& Text() const { return text_; }
  const Params& Parameters() const { return params_; }

  // Every output over every bar into `out` (outputs x bars, row per output);
  // no value is NaN. False when the calculation fails.
  bool Run(const BarColumns& bars, double* out);
  // Every output at the last bar of each instrument (instruments x outputs)
  // on `workers` threads, each instrument checked first; `problems` holds
  // kind kNone per success.
  void ScreenLast(const std::vector<BarColumns>& instruments, int workers, double* out,
                  std::vector<BarProblem>* problems);
  // A runner of its own, compiled from the same text and parameters.
  std::unique_ptr<abacor_host::FormulaRunner> NewRunner() const;

 private:
  std::unique_ptr<abacor_host::FormulaRunner> Acquire();
  void Give(std::unique_ptr<abacor_host::FormulaRunner> runner);
  bool RunLast(abacor_host::FormulaRunner* runner, const BarColumns& bars, double* out);

  std::string text_;
  Params params_;
  bool ok_ = false;
  abacor_host::CompileError error_;
  std::vector<std::string> names_;
  // Compiled runners not in use: a calculator serves one run at a time.
  std::mutex poolLock_;
  std::vector<std::unique_ptr<abacor_host::FormulaRunner>> pool_;
};

// Output i of a calculated and published runner over [first, last] into out;
// drawing outputs show their first argument, as the command line prints them.
void ReadOutput(abacor_host::FormulaRunner* runner, int32_t output, int32_t first, int32_t last, double* out,
                bool* valid);

// A formula kept live on a growing series of bars: the newest bar is replaced
// or one is appended, and only what changed is calculated again.
class BarStream {
 public:
  struct Bar {
    double open, high, low, close, volume, amount;
    int64_t stamp;
  };
  BarStream(const CompiledFormula& formula, const BarColumns& bars);
  int32_t Count() const { return static_cast<int32_t>(close_.size()); }
  bool HasAmount() const { return hasAmount_; }
  bool Local() const { return local_; }
  int64_t Stamp(int32_t bar) const { return stamps_[bar]; }

  bool Update(const Bar& bar, std::vector<double>* newest);
  bool Append(const Bar& bar, std::vector<double>* newest);
  // Every output over every bar (outputs x bars).
  void ReadAll(double* out);

 private:
  BarColumns Columns() const;
  void Store(int32_t bar, const Bar& values);
  bool Recalculate(int32_t bar, bool force);
  void Newest(std::vector<double>* newest);

  std::unique_ptr<abacor_host::FormulaRunner> runner_;
  int32_t outputs_ = 0;
  bool hasAmount_ = false;
  bool local_ = true;
  std::vector<double> open_, high_, low_, close_, volume_, amount_;
  std::vector<int64_t> stamps_;
  ColumnProvider provider_;
};

}  // namespace abacor_py
