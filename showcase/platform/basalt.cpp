#include "showcase/platform/basalt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "showcase/platform/journal.h"
#include "showcase/platform/standin_env.h"
#include "showcase/platform/text.h"

namespace {
struct ZoomState {
  bool enabled = false;
  double factor = 1.0;
  bool modernFont = false;
};

ZoomState& Zoom() {
  static ZoomState state;
  return state;
}

std::string FormatFactor(double f) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%g", f);
  return buf;
}
}  // namespace

void OMWarn_EnableReport(bool enable) { StandInCall(std::string("OMWarn_EnableReport(") + (enable ? "1" : "0") + ")"); }

std::string OMWarn_LogPath() { return StandInConfigDir() + "/warn.log"; }

// One write per entry with O_APPEND, so entries never interleave or tear.
void OMWarn_WriteLog(LPCWSTR file, int line) {
  std::string entry = WideToUtf8(file == nullptr ? L"" : file) + ", " + std::to_string(line) + "\n";
  int fd = open(OMWarn_LogPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t n = write(fd, entry.data(), entry.size());
  (void)n;
  close(fd);
}

void IOMEv::Init() { StandInCall("IOMEv::Init"); }
void IOMEv::UnInit() { StandInCall("IOMEv::UnInit"); }

namespace OM {
int GetWindowsVer() { return StandInEnvInt("VITRINE_WINVER", 10); }

void EnableAppZoom(bool enable) {
  Zoom().enabled = enable;
  StandInCall(std::string("OM::EnableAppZoom(") + (enable ? "1" : "0") + ")");
}

void SetAppZoomX(double factor) {
  Zoom().factor = factor;
  StandInCall("OM::SetAppZoomX(" + FormatFactor(factor) + ")");
}

double GetAppZoomX() { return Zoom().enabled ? Zoom().factor : 1.0; }

void SetMordenFont(bool modern) {
  Zoom().modernFont = modern;
  StandInCall(std::string("OM::SetMordenFont(") + (modern ? "1" : "0") + ")");
}

bool IsFileExist(LPCWSTR path) { return path != nullptr && StandInFileExists(WideToUtf8(path)); }

bool StrToInt32(LPCWSTR text, int32_t* value) {
  if (text == nullptr || value == nullptr) return false;
  const wchar_t* p = text;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  if (*p == L'\0') return false;
  long long n = 0;
  for (; *p != L'\0'; ++p) {
    if (*p < L'0' || *p > L'9') return false;
    n = n * 10 + (*p - L'0');
    if (n > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) n = -n;
  if (n < INT_MIN || n > INT_MAX) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

std::wstring Int32ToStr(int32_t value) { return std::to_wstring(value); }
}  // namespace OM
