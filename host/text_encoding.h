#pragma once
// The engine speaks GBK (code page 936); terminals and files here speak UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

namespace abacor_host {

// GBK bytes to UTF-8; bytes that do not convert come out as '?'.
std::string GbkToUtf8(const std::string& gbk);
// UTF-8 to GBK; text that is not valid UTF-8, or has no GBK form, is returned unchanged.
std::string Utf8ToGbk(const std::string& utf8);

// One UTF-8 character at byte i: its code point and length; false when malformed or overlong.
bool DecodeUtf8(const std::string& s, size_t i, uint32_t* codePoint, size_t* length);
// Whether the whole text is well-formed UTF-8.
bool IsValidUtf8(const std::string& s);
// Terminal cells (or em halves) a code point takes: 2 for wide East Asian characters, else 1.
int DisplayWidth(uint32_t codePoint);
// Malformed UTF-8 bytes replaced by U+FFFD, so the text is safe for XML and JSON.
std::string SanitizeUtf8(const std::string& s);

}  // namespace abacor_host
