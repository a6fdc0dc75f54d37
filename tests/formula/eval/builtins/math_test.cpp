#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "formula/eval/builtins/math.h"
#include "formula/eval/value.h"
#include "support/series_harness.h"

namespace {

using harness::BY_SERIES;
using harness::Harness;
using harness::SameValue;
using harness::ShowValue;

constexpr double INV = INVALID_VALUE;
const double PI = std::acos(-1.0);

// Function ids.
constexpr int32_t MAX = 0, MIN = 1, MOD = 2, ACOS = 3, ASIN = 4, ATAN = 5, COS = 6, SIN = 7, TAN = 8, EXP = 9, LN = 10,
                  LOG = 11, SQRT = 12, ABS = 13, POW = 14, CEILING = 15, FLOOR = 16, INTPART = 17, BETWEEN = 18,
                  FRACPART = 19, ROUND = 20, ROUND2 = 21, SIGN = 22, RAND = 23, RGB = 499;

struct MathCase {
  int32_t id;
  std::vector<double> args;
  double expected;
};

// The call with its arguments as one-bar data series (exact doubles).
double Apply(int32_t id, const std::vector<double>& args, int32_t* code) {
  std::vector<std::vector<double>> series;
  for (double a : args) series.push_back({a});
  Harness h(BY_SERIES, series);
  std::vector<Operand> operands;
  for (size_t j = 0; j < args.size(); ++j) operands.push_back(h.Series(static_cast<int32_t>(j)));
  return h.At(h.Call(id, operands), 0, code);
}

void ExpectCases(const std::vector<MathCase>& cases) {
  for (const MathCase& c : cases) {
    int32_t code = -1;
    const double v = Apply(c.id, c.args, &code);
    EXPECT_EQ(code, EVAL_OK) << "id " << c.id;
    EXPECT_TRUE(SameValue(c.expected, v)) << "id " << c.id << " arg " << ShowValue(c.args[0]) << ": expected "
                                          << ShowValue(c.expected) << ", got " << ShowValue(v);
  }
}

TEST(MathBuiltins, ExtremesAndBetween) {
  ExpectCases({
      {MAX, {2, 2}, 2},
      {MAX, {1, 3}, 3},
      {MAX, {-1, -3}, -1},
      {MAX, {INV, 3}, INV},
      {MAX, {3, INV}, INV},
      {MIN, {2, 2}, 2},
      {MIN, {1, 3}, 1},
      {MIN, {-1, -3}, -3},
      {MIN, {INV, 1}, INV},
      {BETWEEN, {2, 1, 3}, 1},
      {BETWEEN, {1, 1, 3}, 0},
      {BETWEEN, {3, 1, 3}, 0},
      {BETWEEN, {2, 3, 1}, 0},  // bounds are not reordered
      {BETWEEN, {2, 1, INV}, INV},
  });
}

TEST(MathBuiltins, ModRoundsHalvesAwayFromZero) {
  ExpectCases({
      {MOD, {7.5, 2}, 0},  // 8 mod 2
      {MOD, {-7, 3}, -1},  // the sign of the first
      {MOD, {7, -3}, 1},
      {MOD, {5, 0.4}, INV},  // the divisor rounds to 0
      {MOD, {-4, 2}, 0},
      {MOD, {10.49, 3}, 1},
      {MOD, {-2.5, 2}, -1},  // -2.5 rounds to -3
      {MOD, {INV, 2}, INV},
      // Beyond 32 bits the remainder is still exact.
      {MOD, {5000000001.0, 100}, 1},
      {MOD, {-4294967296.0, 7}, -4294967296.0 + 7.0 * 613566756.0},
  });
  int32_t code = -1;
  EXPECT_FALSE(std::signbit(Apply(MOD, {-4, 2}, &code)));  // 0, not -0
}

TEST(MathBuiltins, DomainEdges) {
  ExpectCases({
      {SQRT, {-4}, 0},
      {SQRT, {0}, 0},
      {SQRT, {6.25}, 2.5},
      {ASIN, {1.0000001}, INV},
      {ASIN, {-1.0000001}, INV},
      {ASIN, {1}, PI / 2},
      {ACOS, {-1}, PI},
      {ACOS, {1.5}, INV},
      {ATAN, {1}, PI / 4},
      {LN, {0}, -HUGE_VAL},
      {LOG, {1000}, 3},
      {EXP, {0}, 1},
      {EXP, {1000}, HUGE_VAL},
      {POW, {2, 10}, 1024},
      {POW, {4, 0.5}, 2},
      {POW, {2, INV}, INV},
      {SIN, {0}, 0},
      {COS, {0}, 1},
      {TAN, {0}, 0},
      {ABS, {-2.5}, 2.5},
      {ABS, {INV}, INV},
      {CEILING, {1.2}, 2},
      {CEILING, {-1.2}, -1},
      {FLOOR, {1.8}, 1},
      {FLOOR, {-1.2}, -2},
  });
  int32_t code = -1;
  EXPECT_TRUE(std::isnan(Apply(LN, {-1}, &code)));  // an ordinary NaN, not INVALID_VALUE
  EXPECT_FALSE(IsInvalid(Apply(LN, {-1}, &code)));
}

TEST(MathBuiltins, IntegerParts) {
  ExpectCases({
      {INTPART, {2.7}, 2},
      {INTPART, {-2.7}, -2},
      {INTPART, {2.99999995}, 3},  // the 1e-7 bias
      {INTPART, {3e9}, 2147483647.0},
      {INTPART, {-3e9}, -2147483648.0},  // held to 32 bits
      {FRACPART, {2.75}, 0.75},
      {FRACPART, {-2.75}, -0.75},
      {FRACPART, {3000000000.5}, 0.5},  // the fraction survives beyond 32 bits
      {ROUND, {-2.5}, -3},
      {ROUND, {2.5}, 3},
      {ROUND, {2.4999}, 2},
      {ROUND, {-0.4}, 0},
      {ROUND, {1e12 + 0.5}, 1e12 + 1},
      {SIGN, {5e-8}, 0},
      {SIGN, {-5e-8}, 0},
      {SIGN, {0.001}, 1},
      {SIGN, {-3}, -1},
  });
}

TEST(MathBuiltins, Round2) {
  ExpectCases({
      {ROUND2, {1.005, 2}, 1.01},
      {ROUND2, {3.14159, -1}, 3},
      {ROUND2, {3.14159, 0}, 3},
      {ROUND2, {3.5, 0}, 4},
      {ROUND2, {-1.005, 2}, -1.01},
      {ROUND2, {2.345, 2}, 2.35},
      {ROUND2, {1234.5678, 3}, 1234.568},
      {ROUND2, {0.5, INV}, INV},
      // Nothing is left to round where the scale leaves the double range.
      {ROUND2, {1.25, 400}, 1.25},
  });
}

TEST(MathBuiltins, RgbComposesOpaqueColours) {
  ExpectCases({
      {RGB, {255, 0, 0}, -16776961},
      {RGB, {300, 0, 0}, -16776961},
      {RGB, {-1, 0, 0}, INV},
      {RGB, {0, 0, 0}, -16777216},
      {RGB, {255, 255, 255}, -1},
      {RGB, {1, 2, 3}, static_cast<double>(static_cast<float>(static_cast<int32_t>(0xFF030201u)))},
      {RGB, {254, 0, 0}, -16776962},
      {RGB, {0, INV, 0}, INV},
      {RGB, {0, 0, -0.5}, 0xFF000000u - 4294967296.0},
  });
}

TEST(MathBuiltins, RandStaysInRange) {
  int32_t code = -1;
  EXPECT_TRUE(IsInvalid(Apply(RAND, {0.5}, &code)));
  std::set<double> seen;
  for (int i = 0; i < 400; ++i) {
    const double v = Apply(RAND, {6}, &code);
    ASSERT_EQ(code, EVAL_OK);
    ASSERT_TRUE(v >= 0 && v <= 6 && v == std::floor(v)) << v;
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 7u);  // every value 0..6 turns up
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = NextRandomInt();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

TEST(MathBuiltins, EntryChecks) {
  Harness h(BY_SERIES, {{1.0, 2.0}});
  int32_t code = -1;
  // One argument too many.
  EXPECT_TRUE(IsInvalid(h.At(h.Call(SQRT, {h.Series(0), h.Series(0)}), 0, &code)));
  EXPECT_EQ(code, EVAL_BAD_ARGUMENT);
  // A bar outside the data.
  double out = 0.0;
  TestRun& run = h.SharedRun();
  run.ctx.bar = 5;
  const Operand call = h.Call(SQRT, {h.Series(0)});
  EXPECT_EQ(BuiltinSqrt(call.value.Record(), &out, &run.ctx, 0), EVAL_OK);
  EXPECT_TRUE(IsInvalid(out));
  run.ctx.bar = 1;
  EXPECT_EQ(BuiltinSqrt(call.value.Record(), &out, &run.ctx, 2), EVAL_OK);
  EXPECT_TRUE(IsInvalid(out));
  EXPECT_EQ(BuiltinSqrt(call.value.Record(), &out, nullptr, 0), EVAL_BAD_ARGUMENT);
  EXPECT_EQ(BuiltinSqrt(nullptr, &out, &run.ctx, 0), EVAL_BAD_ARGUMENT);
  // Offsets reach earlier bars of the argument.
  EXPECT_EQ(BuiltinSqrt(call.value.Record(), &out, &run.ctx, 1), EVAL_OK);
  EXPECT_EQ(out, 1.0);
}

}  // namespace
