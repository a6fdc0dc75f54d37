#pragma once
// Settings records of the Fibonacci time zones and the golden section. The
// host reads and writes them through SetToolSettings / GetToolSettings.
#include <cstdint>
#include <vector>

#include "abacor/draw_info.h"
#include "abacor/export.h"

// Which way the level lines of a tool continue beyond their points. Up and
// down apply to the vertical lines of the time zones, left and right to the
// horizontal lines of the golden section.
enum enLineExtendDirection : int32_t {
  LINE_EXTEND_NONE = 0,
  LINE_EXTEND_BOTH = 1,
  LINE_EXTEND_UP = 2,
  LINE_EXTEND_DOWN = 3,
  LINE_EXTEND_LEFT = 4,
  LINE_EXTEND_RIGHT = 5,
};

// One level line. `level` holds 32 bits that the time zones read as a signed
// whole multiple of the base distance and the golden section as a
// single-precision price ratio; use the accessor of the tool's kind.
// `hostValueA`, `hostValueB` and `color` belong to the host.
struct ABACOR_API stSingleLineDrawParams {
  int32_t index = 0;
  int32_t hostValueA = 1;
  int32_t hostValueB = 1;
  TarnDrawInfo::TarnColor color{};
  int32_t level = 0;

  int32_t GetIntLevel() const;
  void SetIntLevel(int32_t value);
  float GetFloatLevel() const;
  void SetFloatLevel(float value);
};

// Settings of the Fibonacci time zones.
struct ABACOR_API stFibTimeZoneSettings {
  std::vector<stSingleLineDrawParams> lineParams;
  enLineExtendDirection extendDirection = LINE_EXTEND_BOTH;

  stFibTimeZoneSettings() = default;
  stFibTimeZoneSettings(const stFibTimeZoneSettings&) = default;
  stFibTimeZoneSettings& operator=(const stFibTimeZoneSettings&) = default;

  void SetLineParams(const std::vector<stSingleLineDrawParams>& params);
  const std::vector<stSingleLineDrawParams>& GetLineParams() const;
  void SetExtendDirection(enLineExtendDirection direction);
  enLineExtendDirection GetExtendDirection() const;
};

// Settings of the golden section.
struct ABACOR_API stGoldenSectionSettings {
  std::vector<stSingleLineDrawParams> lineParams;
  enLineExtendDirection extendDirection = LINE_EXTEND_BOTH;
  bool displayRatio = true;
  bool displayPrice = true;

  stGoldenSectionSettings() = default;
  stGoldenSectionSettings(const stGoldenSectionSettings&) = default;
  stGoldenSectionSettings& operator=(const stGoldenSectionSettings&) = default;

  void SetLineParams(const std::vector<stSingleLineDrawParams>& params);
  const std::vector<stSingleLineDrawParams>& GetLineParams() const;
  void SetExtendDirection(enLineExtendDirection direction);
  enLineExtendDirection GetExtendDirection() const;
  void SetDisplayRatio(bool display);
  bool GetDispLayRatio() const;
  void SetDisplayPrice(bool display);
  bool GetDisplayPrice() const;
};
