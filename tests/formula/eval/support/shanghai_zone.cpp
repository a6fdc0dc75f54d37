#include "support/shanghai_zone.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

ShanghaiZone::ShanghaiZone() {
  const char* tz = std::getenv("TZ");
  m_hadZone = tz != nullptr;
  if (m_hadZone) m_savedZone = tz;
  struct stat info {};
  const bool zoneFile = stat("/usr/share/zoneinfo/Asia/Shanghai", &info) == 0;
  // Without the zone database the POSIX rule gives the same offset.
  setenv("TZ", zoneFile ? "Asia/Shanghai" : "CST-8", 1);
  tzset();
}

ShanghaiZone::~ShanghaiZone() {
  if (m_hadZone) {
    setenv("TZ", m_savedZone.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
