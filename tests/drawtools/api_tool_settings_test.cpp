// The exported settings records of the time zones and the golden section,
// through the shared library only.
#include <gtest/gtest.h>

#include <abacor/abacor.h>

#include <vector>

namespace {

TEST(ApiToolSettings, DefaultsAndLevelBits) {
  const stGoldenSectionSettings golden;
  EXPECT_TRUE(golden.GetLineParams().empty());
  EXPECT_EQ(golden.GetExtendDirection(), LINE_EXTEND_BOTH);
  EXPECT_TRUE(golden.GetDispLayRatio());
  EXPECT_TRUE(golden.GetDisplayPrice());
  const stFibTimeZoneSettings zones;
  EXPECT_EQ(zones.GetExtendDirection(), LINE_EXTEND_BOTH);

  stSingleLineDrawParams level;
  EXPECT_EQ(level.hostValueA, 1);
  EXPECT_EQ(level.hostValueB, 1);
  level.SetFloatLevel(0.618f);
  EXPECT_EQ(level.GetFloatLevel(), 0.618f);
  EXPECT_EQ(static_cast<uint32_t>(level.GetIntLevel()), 0x3F1E353Fu) << "the float's bits";
  level.SetIntLevel(-21);
  EXPECT_EQ(level.GetIntLevel(), -21);
}

TEST(ApiToolSettings, ToolsCopySettingsInAndOut) {
  ITarnGraphShapeBase* tool = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_COMPLEX_GOLDEN_SECTION);
  ASSERT_NE(tool, nullptr);
  stGoldenSectionSettings in;
  std::vector<stSingleLineDrawParams> levels(2);
  levels[0].SetFloatLevel(0.25f);
  levels[1].SetFloatLevel(0.75f);
  levels[1].color = TarnDrawInfo::GetColorByValue(0xFF112233u);
  in.SetLineParams(levels);
  in.SetExtendDirection(LINE_EXTEND_RIGHT);
  in.SetDisplayPrice(false);
  tool->SetToolSettings(&in);
  in.SetDisplayRatio(false);  // the tool holds its own copy
  stGoldenSectionSettings out;
  tool->GetToolSettings(&out);
  ASSERT_EQ(out.GetLineParams().size(), 2u);
  EXPECT_EQ(out.GetLineParams()[1].GetFloatLevel(), 0.75f);
  EXPECT_EQ(out.GetLineParams()[1].color.colorValue, 0xFF112233u);
  EXPECT_EQ(out.GetExtendDirection(), LINE_EXTEND_RIGHT);
  EXPECT_TRUE(out.GetDispLayRatio());
  EXPECT_FALSE(out.GetDisplayPrice());
  TarnGraphInterface::ReleaseGraphShape(&tool);

  ITarnGraphShapeBase* zones = TarnGraphInterface::CreateGraphShape(TARN_GRAPH_COMPLEX_FIB_TIME_ZONE);
  stFibTimeZoneSettings z;
  z.SetExtendDirection(LINE_EXTEND_DOWN);
  zones->SetToolSettings(&z);
  stFibTimeZoneSettings zOut;
  zones->GetToolSettings(&zOut);
  EXPECT_EQ(zOut.GetExtendDirection(), LINE_EXTEND_DOWN);
  TarnGraphInterface::ReleaseGraphShape(&zones);
}

}  // namespace
