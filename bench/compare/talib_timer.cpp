// TA-Lib's side of bench/compare: its own counterparts of the vectorised suite
// (MA 5/10/20/60, MACD 12/26/9, KDJ as a stochastic 9 with exponential
// smoothing, RSI 6/12/24, Bollinger 20/2) over the bars compare_timer wrote,
// recomputed over the whole array for bulk, after a tick and after an append,
// as a vectorised library must. Prints one JSON object of CPU-time medians.
//
//   talib_compare_timer FILE BIG SMALL REPS
#include <ta_libc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <vector>

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 != 0 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

struct Bars {
  std::vector<double> open, high, low, close;
};

// The outputs a chart would keep: one array per line.
struct Outputs {
  std::vector<double> line[16];
  void Size(int n) {
    for (auto& l : line) l.assign(static_cast<size_t>(n), 0.0);
  }
};

void Suite(const Bars& b, int n, Outputs* o) {
  int beg = 0, count = 0;
  const double* c = b.close.data();
  const int mas[] = {5, 10, 20, 60};
  for (int i = 0; i < 4; ++i) TA_SMA(0, n - 1, c, mas[i], &beg, &count, o->line[i].data());
  TA_MACD(0, n - 1, c, 12, 26, 9, &beg, &count, o->line[4].data(), o->line[5].data(), o->line[6].data());
  // SMA(x, 3, 1) smooths with weight 1/3: an exponential average of 5.
  TA_STOCH(0, n - 1, b.high.data(), b.low.data(), c, 9, 5, TA_MAType_EMA, 5, TA_MAType_EMA, &beg, &count,
           o->line[7].data(), o->line[8].data());
  for (int i = 0; i < count; ++i) o->line[9][i] = 3 * o->line[7][i] - 2 * o->line[8][i];
  const int rsis[] = {6, 12, 24};
  for (int i = 0; i < 3; ++i) TA_RSI(0, n - 1, c, rsis[i], &beg, &count, o->line[10 + i].data());
  TA_BBANDS(0, n - 1, c, 20, 2.0, 2.0, TA_MAType_SMA, &beg, &count, o->line[13].data(), o->line[14].data(),
            o->line[15].data());
}

double Time(const Bars& b, int n) {
  Outputs o;
  const double t0 = CpuSeconds();
  o.Size(n);
  Suite(b, n, &o);
  return CpuSeconds() - t0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: talib_compare_timer FILE BIG SMALL REPS\n");
    return 2;
  }
  const int big = std::atoi(argv[2]), small = std::atoi(argv[3]), reps = std::atoi(argv[4]);
  std::vector<double> raw(static_cast<size_t>(5) * big);
  std::ifstream in(argv[1], std::ios::binary);
  in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size() * sizeof(double)));
  if (!in || TA_Initialize() != TA_SUCCESS) return 1;
  Bars b;
  const size_t n = static_cast<size_t>(big);
  b.open.assign(raw.begin(), raw.begin() + n);
  b.high.assign(raw.begin() + n, raw.begin() + 2 * n);
  b.low.assign(raw.begin() + 2 * n, raw.begin() + 3 * n);
  b.close.assign(raw.begin() + 3 * n, raw.begin() + 4 * n);
  std::vector<double> bulkBig, bulkSmall, tick, append;
  for (int r = 0; r < reps; ++r) bulkBig.push_back(Time(b, big));
  for (int r = 0; r < std::max(reps, 11); ++r) bulkSmall.push_back(Time(b, small));
  Bars live = b;
  double factor = 1.0001;
  for (int r = 0; r < 15; ++r) {
    live.close[static_cast<size_t>(small) - 1] *= factor;
    factor = 2.0 - factor;
    tick.push_back(Time(live, small));
    append.push_back(Time(b, small + r + 1));
  }
  std::printf("{\"bulk_big\": %.9g, \"bulk_small\": %.9g, \"tick\": %.9g, \"append\": %.9g, \"version\": \"%s\"}\n",
              Median(bulkBig), Median(bulkSmall), Median(tick), Median(append), TA_GetVersionString());
  TA_Shutdown();
  return 0;
}
