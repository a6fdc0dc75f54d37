#pragma once
// Sets the process's local time zone to UTC+8 (Shanghai) for as long as it
// lives and restores the zone that was set before.
#include <string>

class ShanghaiZone {
 public:
  ShanghaiZone();
  ~ShanghaiZone();
  ShanghaiZone(const ShanghaiZone&) = delete;
  ShanghaiZone& operator=(const ShanghaiZone&) = delete;

 private:
  bool m_hadZone = false;
  std::string m_savedZone;
};
