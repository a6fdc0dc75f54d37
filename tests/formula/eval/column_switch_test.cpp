// The column executor's switch: the calculator setting and the environment
// variable, read afresh for every range.
#include <gtest/gtest.h>

#include <cstdlib>

#include "formula/eval/index_calculator.h"

namespace {

struct SwitchCase {
  const char* environment;  // null: unset
  bool setting;
  bool enabled;
};

constexpr SwitchCase kSwitchCases[] = {
    {nullptr, true, true}, {nullptr, false, false}, {"off", true, false},  {"0", true, false},
    {"on", true, true},    {"1", true, true},       {"off", false, false}, {"", true, true},
};

TEST(ColumnSwitchTest, SettingAndEnvironmentBothMustAllowIt) {
  for (const SwitchCase& c : kSwitchCases) {
    if (c.environment == nullptr) {
      unsetenv("ABACOR_COLUMN_EXECUTOR");
    } else {
      setenv("ABACOR_COLUMN_EXECUTOR", c.environment, 1);
    }
    CIndexCalculator calc;
    calc.SetColumnExecutor(c.setting);
    EXPECT_EQ(calc.ColumnExecutorEnabled(), c.enabled)
        << (c.environment ? c.environment : "(unset)") << " " << c.setting;
  }
  unsetenv("ABACOR_COLUMN_EXECUTOR");
}

}  // namespace
