// Conversions between the program's wide strings and UTF-8.
#pragma once

#include <string>

std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
