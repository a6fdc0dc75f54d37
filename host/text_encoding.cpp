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
