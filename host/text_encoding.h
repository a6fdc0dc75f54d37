#pragma once
// The engine speaks GBK (code page 936); terminals and files here speak UTF-8.
#include <string>

namespace abacor_host {

// GBK bytes to UTF-8; bytes that do not convert come out as '?'.
std::string GbkToUtf8(const std::string& gbk);
// UTF-8 to GBK; text that is not valid UTF-8, or has no GBK form, is returned unchanged.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace abacor_host
