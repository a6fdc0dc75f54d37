// Basalt, the client's base runtime: the warning log, the application zoom,
// the Windows version and string helpers.
#pragma once

#include <cstdint>
#include <string>

#include "showcase/platform/win32.h"

// Warning log: one line per entry, "file, line", in warn.log of the
// configuration directory.
void OMWarn_EnableReport(bool enable);
void OMWarn_WriteLog(LPCWSTR file, int line);
std::string OMWarn_LogPath();

class IOMEv {
 public:
  static void Init();
  static void UnInit();
};

namespace OM {
// VITRINE_WINVER, default 10; 8 and above means Windows 8 or later.
int GetWindowsVer();
void EnableAppZoom(bool enable);
void SetAppZoomX(double factor);
double GetAppZoomX();
void SetMordenFont(bool modern);
bool IsFileExist(LPCWSTR path);
// Optional sign and decimal digits that fit 32 bits; false otherwise and the
// target is left alone.
bool StrToInt32(LPCWSTR text, int32_t* value);
std::wstring Int32ToStr(int32_t value);
}  // namespace OM
