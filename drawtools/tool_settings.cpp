// Settings records of the time zones and the golden section.
#include "abacor/tool_settings.h"

#include <cstring>

int32_t stSingleLineDrawParams::GetIntLevel() const { return level; }

void stSingleLineDrawParams::SetIntLevel(int32_t value) { level = value; }

// The same 32 bits read as a single-precision ratio.
float stSingleLineDrawParams::GetFloatLevel() const {
  float value = 0.0f;
  std::memcpy(&value, &level, sizeof value);
  return value;
}

void stSingleLineDrawParams::SetFloatLevel(float value) { std::memcpy(&level, &value, sizeof level); }

void stFibTimeZoneSettings::SetLineParams(const std::vector<stSingleLineDrawParams>& params) { lineParams = params; }

const std::vector<stSingleLineDrawParams>& stFibTimeZoneSettings::GetLineParams() const { return lineParams; }

void stFibTimeZoneSettings::SetExtendDirection(enLineExtendDirection direction) { extendDirection = direction; }

enLineExtendDirection stFibTimeZoneSettings::GetExtendDirection() const { return extendDirection; }

void stGoldenSectionSettings::SetLineParams(const std::vector<stSingleLineDrawParams>& params) { lineParams = params; }

const std::vector<stSingleLineDrawParams>& stGoldenSectionSettings::GetLineParams() const { return lineParams; }

void stGoldenSectionSettings::SetExtendDirection(enLineExtendDirection direction) { extendDirection = direction; }

enLineExtendDirection stGoldenSectionSettings::GetExtendDirection() const { return extendDirection; }

void stGoldenSectionSettings::SetDisplayRatio(bool display) { displayRatio = display; }

bool stGoldenSectionSettings::GetDispLayRatio() const { return displayRatio; }

void stGoldenSectionSettings::SetDisplayPrice(bool display) { displayPrice = display; }

bool stGoldenSectionSettings::GetDisplayPrice() const { return displayPrice; }
