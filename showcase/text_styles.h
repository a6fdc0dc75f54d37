// Named text styles: a short style name to a font descriptor and a colour
// reference, both toolkit attribute strings. Shared by the program's windows;
// any window may style a text by name through TextStyles().
#pragma once

#include <array>
#include <map>
#include <string>
#include <utility>

struct TextStyleRow {
  const wchar_t* name;
  const wchar_t* font;
  const wchar_t* colour;
};

constexpr std::array<TextStyleRow, 36> kTextStyleRows = {{
    {L"HR1", L"size:12dp", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HR2", L"size:13dp", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HR3", L"size:14dp", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HR4", L"size:16dp", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HR5", L"size:20dp", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HB1", L"size:12dp,bold:1", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HB2", L"size:16dp,bold:1", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HB3", L"size:22dp,bold:1", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"HB4", L"size:24dp,bold:1", L"@color\\style_skin_tarn_text\\text_h1"},
    {L"T1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_h2"},
    {L"T2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_h2"},
    {L"T3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_h2"},
    {L"T4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_h2"},
    {L"T5", L"size:16dp", L"@color\\style_skin_tarn_text\\text_h2"},
    {L"S1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_h3"},
    {L"S2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_h3"},
    {L"S3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_h3"},
    {L"S4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_h3"},
    {L"D1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_disable"},
    {L"D2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_disable"},
    {L"D3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_disable"},
    {L"D4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_disable"},
    {L"O1", L"size:12dp", L"@color\\style_skin_tarn_text\\text_portfolio"},
    {L"O2", L"size:13dp", L"@color\\style_skin_tarn_text\\text_portfolio"},
    {L"B1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_link_normal"},
    {L"B2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_link_normal"},
    {L"B3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_link_normal"},
    {L"B4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_link_normal"},
    {L"F1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_sell"},
    {L"F2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_sell"},
    {L"F3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_sell"},
    {L"F4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_sell"},
    {L"W1", L"size:10dp", L"@color\\style_skin_tarn_text\\text_white"},
    {L"W2", L"size:12dp", L"@color\\style_skin_tarn_text\\text_white"},
    {L"W3", L"size:13dp", L"@color\\style_skin_tarn_text\\text_white"},
    {L"W4", L"size:14dp", L"@color\\style_skin_tarn_text\\text_white"},
}};
static_assert(kTextStyleRows.size() == 36, "the text-style table has 36 rows");

using TextStyleMap = std::map<std::wstring, std::pair<std::wstring, std::wstring>>;

// Built from the table above before the program starts (it needs nothing
// but the table), destroyed at exit.
inline const TextStyleMap g_textStyles = [] {
  TextStyleMap map;
  for (const TextStyleRow& row : kTextStyleRows) map[row.name] = {row.font, row.colour};
  return map;
}();

inline const TextStyleMap& TextStyles() { return g_textStyles; }
