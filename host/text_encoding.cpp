#include "text_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace abacor_host {
namespace {

// Converts with iconv; `lenient` replaces unconvertible bytes with '?'.
bool Convert(const char* to, const char* from, const std::string& in, bool lenient, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[256];
  bool ok = true;
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out->append(buf, dst - buf);
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    if (!lenient) {
      ok = false;
      break;
    }
    out->push_back('?');
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  return ok;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

// utf8-char := lead continuation* ; false for a malformed or overlong sequence
bool DecodeUtf8(const std::string& s, size_t i, uint32_t* cp, size_t* length) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return false;
  uint32_t v = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (size_t k = 1; k < n; ++k) {
    const unsigned char c = static_cast<unsigned char>(s[i + k]);
    if ((c >> 6) != 2) return false;
    v = (v << 6) | (c & 0x3F);
  }
  constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < kSmallest[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
  *cp = v;
  *length = n;
  return true;
}

bool IsValidUtf8(const std::string& s) {
  uint32_t cp = 0;
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += n)
    if (!DecodeUtf8(s, i, &cp, &n)) return false;
  return true;
}

int DisplayWidth(uint32_t cp) {
  const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF && cp != 0x303F) ||
                    (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                    (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                    (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
  return wide ? 2 : 1;
}

std::string SanitizeUtf8(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  uint32_t cp = 0;
  size_t n = 1;
  for (size_t i = 0; i < s.size(); i += n) {
    if (DecodeUtf8(s, i, &cp, &n)) {
      out.append(s, i, n);
      continue;
    }
    out += "\xEF\xBF\xBD";
    n = 1;
  }
  return out;
}

std::string GbkToUtf8(const std::string& gbk) {
  if (IsAscii(gbk)) return gbk;
  std::string out;
  Convert("UTF-8", "GBK", gbk, true, &out);
  return out;
}

std::string Utf8ToGbk(const std::string& utf8) {
  if (IsAscii(utf8)) return utf8;
  std::string out;
  return Convert("GBK", "UTF-8", utf8, false, &out) ? out : utf8;
}

}  // namespace abacor_host
