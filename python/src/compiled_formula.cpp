#include "compiled_formula.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include <abacor/abacor.h>

#include "text_encoding.h"

namespace abacor_py {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The names `abacor run` prints: the output's name, or "#i" when it has none.
std::vector<std::string> NamesOf(IIndexParser* parser) {
  std::vector<std::string> names;
  int32_t count = 0;
  if (!parser || !parser->GetOutputCount(&count)) return names;
  for (int32_t i = 0; i < count; ++i) {
    char name[64] = {};
    parser->GetOutputName(i, name, sizeof name);
    names.push_back(name[0] ? abacor_host::GbkToUtf8(name) : "#" + std::to_string(i));
  }
  return names;
}

constexpr int64_t kFirstStamp = -2208988800LL * 1000000000LL;  // 1900-01-01 00:00

}  // namespace

BarProblem CheckBars(const BarColumns& bars) {
  BarProblem problem;
  const double* columns[] = {bars.open, bars.high, bars.low, bars.close, bars.volume, bars.amount};
  for (int32_t c = 0; c < 6; ++c) {
    if (!columns[c]) continue;
    for (int32_t i = 0; i < bars.count; ++i) {
      if (std::isfinite(columns[c][i])) continue;
      if (problem.kind == BarProblem::kNone || i < problem.row) problem = {BarProblem::kNotANumber, c, i};
      break;
    }
  }
  if (problem.kind != BarProblem::kNone) return problem;
  for (int32_t i = 1; i < bars.count; ++i)
    if (bars.stamps[i] <= bars.stamps[i - 1]) return {BarProblem::kOutOfOrder, -1, i};
  if (bars.count > 0 && bars.stamps[0] < kFirstStamp) return {BarProblem::kTooOld, -1, 0};
  return problem;
}

void ReadOutput(abacor_host::FormulaRunner* runner, int32_t output, int32_t first, int32_t last, double* out,
                bool* valid) {
  const size_t n = static_cast<size_t>(last - first + 1);
  IIndexCalculator* calc = runner->Calculator();
  if (calc->GetOutputValues(output, first, last, out, valid)) {
    for (size_t k = 0; k < n; ++k)
      if (!valid[k]) out[k] = kNaN;
    return;
  }
  for (size_t k = 0; k < n; ++k) {
    double v = 0;
    out[k] = calc->GetOutputArgValue(output, 0, first + static_cast<int32_t>(k), &v) ? v : kNaN;
  }
}

CompiledFormula::CompiledFormula(std::string text, Params params) : text_(std::move(text)), params_(std::move(params)) {
  auto runner = std::make_unique<abacor_host::FormulaRunner>();
  ok_ = runner->Compile(text_, params_, &error_);
  if (!ok_) return;
  names_ = NamesOf(runner->Parser());
  pool_.push_back(std::move(runner));
}

std::unique_ptr<abacor_host::FormulaRunner> CompiledFormula::NewRunner() const {
  auto runner = std::make_unique<abacor_host::FormulaRunner>();
  abacor_host::CompileError error;
  if (!ok_ || !runner->Compile(text_, params_, &error)) return nullptr;
  return runner;
}

std::unique_ptr<abacor_host::FormulaRunner> CompiledFormula::Acquire() {
  {
    std::lock_guard<std::mutex> lock(poolLock_);
    if (!pool_.empty()) {
      auto runner = std::move(pool_.back());
      pool_.pop_back();
      return runner;
    }
  }
  return NewRunner();
}

void CompiledFormula::Give(std::unique_ptr<abacor_host::FormulaRunner> runner) {
  if (!runner) return;
  std::lock_guard<std::mutex> lock(poolLock_);
  pool_.push_back(std::move(runner));
}

bool CompiledFormula::Run(const BarColumns& bars, double* out) {
  auto runner = Acquire();
  if (!runner || bars.count < 1) return false;
  ColumnProvider provider;
  provider.Reset(bars, bars.count);
  const int32_t last = bars.count - 1;
  const bool ok = runner->Calculate(&provider, 0, last);
  if (ok) {
    std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(bars.count)]);
    for (size_t i = 0; i < names_.size(); ++i)
      ReadOutput(runner.get(), static_cast<int32_t>(i), 0, last, out + i * static_cast<size_t>(bars.count),
                 valid.get());
  }
  Give(std::move(runner));
  return ok;
}

bool CompiledFormula::RunLast(abacor_host::FormulaRunner* runner, const BarColumns& bars, double* out) {
  if (bars.count < 1) return false;
  ColumnProvider provider;
  provider.Reset(bars, bars.count);
  const int32_t last = bars.count - 1;
  if (!runner->Calculate(&provider, 0, last)) return false;
  bool valid = false;
  for (size_t i = 0; i < names_.size(); ++i) ReadOutput(runner, static_cast<int32_t>(i), last, last, out + i, &valid);
  return true;
}

void CompiledFormula::ScreenLast(const std::vector<BarColumns>& instruments, int workers, double* out,
                                 std::vector<BarProblem>* problems) {
  const size_t k = names_.size();
  problems->assign(instruments.size(), BarProblem());
  std::fill(out, out + instruments.size() * k, kNaN);
  std::atomic<size_t> next{0};
  auto work = [&]() {
    auto runner = Acquire();
    for (size_t i = next++; i < instruments.size(); i = next++) {
      BarProblem& problem = (*problems)[i];
      problem = CheckBars(instruments[i]);
      if (problem.kind != BarProblem::kNone) continue;
      if (!runner || !RunLast(runner.get(), instruments[i], out + i * k)) problem.kind = BarProblem::kCalculationFailed;
    }
    Give(std::move(runner));
  };
  const size_t threads = std::min<size_t>(static_cast<size_t>(std::max(workers, 1)), instruments.size());
  std::vector<std::thread> pool;
  for (size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

BarStream::BarStream(const CompiledFormula& formula, const BarColumns& bars)
    : runner_(formula.NewRunner()),
      outputs_(static_cast<int32_t>(formula.OutputNames().size())),
      hasAmount_(bars.amount != nullptr),
      local_(bars.local) {
  const size_t n = static_cast<size_t>(bars.count);
  // Room to append: the calculator's store is sized once per provider reset.
  const size_t capacity = std::max<size_t>(2 * n, n + 256);
  for (auto* v : {&open_, &high_, &low_, &close_, &volume_, &amount_}) v->reserve(capacity);
  stamps_.reserve(capacity);
  open_.assign(bars.open, bars.open + n);
  high_.assign(bars.high, bars.high + n);
  low_.assign(bars.low, bars.low + n);
  close_.assign(bars.close, bars.close + n);
  volume_.assign(bars.volume, bars.volume + n);
  if (hasAmount_) amount_.assign(bars.amount, bars.amount + n);
  stamps_.assign(bars.stamps, bars.stamps + n);
  provider_.Reset(Columns(), static_cast<int32_t>(capacity));
  if (runner_) runner_->Calculate(&provider_, 0, Count() - 1);
}

BarColumns BarStream::Columns() const {
  BarColumns c;
  c.open = open_.data();
  c.high = high_.data();
  c.low = low_.data();
  c.close = close_.data();
  c.volume = volume_.data();
  c.amount = hasAmount_ ? amount_.data() : nullptr;
  c.stamps = stamps_.data();
  c.local = local_;
  c.count = Count();
  return c;
}

void BarStream::Store(int32_t bar, const Bar& b) {
  open_[bar] = b.open;
  high_[bar] = b.high;
  low_[bar] = b.low;
  close_[bar] = b.close;
  volume_[bar] = b.volume;
  if (hasAmount_) amount_[bar] = b.amount;
  stamps_[bar] = b.stamp;
}

// Calculates `bar` again (forced for a replaced bar) and publishes it. A
// formula that asks to be recalculated whole (ZIG, BACKSET ...) gets every bar.
bool BarStream::Recalculate(int32_t bar, bool force) {
  if (!runner_) return false;
  IIndexCalculator* calc = runner_->Calculator();
  bool whole = false;
  if (runner_->Parser()->GetRecalcAll(&whole) && whole) return calc->Calculate(0, bar, true) && calc->PublishResults();
  return calc->Calculate(bar, bar, force) && calc->PublishResults();
}

void BarStream::Newest(std::vector<double>* newest) {
  newest->assign(static_cast<size_t>(outputs_), kNaN);
  bool valid = false;
  for (int32_t i = 0; i < outputs_; ++i) ReadOutput(runner_.get(), i, Count() - 1, Count() - 1, &(*newest)[i], &valid);
}

bool BarStream::Update(const Bar& bar, std::vector<double>* newest) {
  if (Count() < 1) return false;
  Store(Count() - 1, bar);
  provider_.ForgetNewestTime();
  if (!Recalculate(Count() - 1, true)) return false;
  Newest(newest);
  return true;
}

bool BarStream::Append(const Bar& bar, std::vector<double>* newest) {
  for (auto* v : {&open_, &high_, &low_, &close_, &volume_}) v->push_back(0);
  if (hasAmount_) amount_.push_back(0);
  stamps_.push_back(0);
  Store(Count() - 1, bar);
  if (Count() <= provider_.Capacity()) {
    provider_.Repoint(Columns());
    if (!Recalculate(Count() - 1, false)) return false;
    Newest(newest);
    return true;
  }
  // Out of room: a store twice the size, calculated from scratch once.
  const size_t capacity = 2 * static_cast<size_t>(Count());
  for (auto* v : {&open_, &high_, &low_, &close_, &volume_, &amount_}) v->reserve(capacity);
  stamps_.reserve(capacity);
  provider_.Reset(Columns(), static_cast<int32_t>(capacity));
  if (!runner_ || !runner_->Calculate(&provider_, 0, Count() - 1)) return false;
  Newest(newest);
  return true;
}

void BarStream::ReadAll(double* out) {
  const int32_t n = Count();
  std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]);
  for (int32_t i = 0; i < outputs_; ++i)
    ReadOutput(runner_.get(), i, 0, n - 1, out + static_cast<size_t>(i) * static_cast<size_t>(n), valid.get());
}

}  // namespace abacor_py
