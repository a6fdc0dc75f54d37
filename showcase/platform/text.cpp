#include "showcase/platform/text.h"

#include <cstdint>

namespace {
void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Length of the sequence a lead byte opens; 0 for a stray byte.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}
}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  for (wchar_t ch : text) {
    uint32_t cp = static_cast<uint32_t>(ch);
    AppendUtf8(out, cp > 0x10FFFF ? 0xFFFD : cp);
  }
  return out;
}

// A malformed byte becomes U+FFFD and decoding goes on at the next byte.
std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int len = SequenceLength(lead);
    if (len == 0 || i + len > text.size()) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? lead : (lead & (0x7F >> len));
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(cp);
    i += len;
  }
  return out;
}
