// Texts: DRAWTEXT (a text of the program) and DRAWNUMBER (a number printed).
#include <cstdio>
#include <string>

#include "formula/eval/calculate_info.h"
#include "formula/eval/draw/job.h"

using TarnDrawInfo::GraphDrawInfo;

namespace {

// The text of one bar; false when the bar shows none.
using TextOfBar = bool (*)(const DrawJob& job, double value, std::string* text);

// The shared walk: a text at (bar, price) wherever the condition is true
// and the price and the text value are present.
void BuildTexts(const DrawJob& job, TextOfBar textOf, std::vector<GraphDrawInfo>& out) {
  const double* condition = job.Series(1);
  const double* price = job.Series(2);
  const double* values = job.Series(3);
  if (condition == nullptr || price == nullptr || values == nullptr) return;
  GraphDrawInfo info;
  GraphDrawInfoBuilder b(&info);
  const int id = b.AddText(TarnDrawInfo::GetText(job.colour, static_cast<float>(job.width + 9),
                                                 TarnDrawInfo::ALIGN_CENTRED, std::string(), 0));
  std::string text;
  for (int32_t bar = job.first; bar <= job.last; ++bar) {
    if (!IsConditionTrue(condition[bar]) || !HasValue(price[bar]) || !HasValue(values[bar])) continue;
    if (!textOf(job, values[bar], &text)) continue;
    b.AddTextItem(id, At(bar, price[bar]), text, false, TarnDrawInfo::TarnPoint{});
  }
  out.push_back(std::move(info));
}

// A text value carries the index of a program text as the bits of a float.
bool ProgramText(const DrawJob& job, double value, std::string* text) {
  const int32_t index = static_cast<int32_t>(FloatBits(value));
  const std::vector<std::string>& texts = job.source->program->m_texts;
  if (index < 0 || static_cast<size_t>(index) >= texts.size()) return false;
  *text = texts[static_cast<size_t>(index)];
  return true;
}

bool NumberText(const DrawJob&, double value, std::string* text) {
  *text = FormatDrawNumber(value);
  return true;
}

}  // namespace

std::string FormatDrawNumber(double value) {
  const int size = std::snprintf(nullptr, 0, "%f", value);
  if (size <= 0) return std::string();
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(&text[0], text.size(), "%f", value);
  text.resize(static_cast<size_t>(size));
  if (text.find('.') == std::string::npos) return text;
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

void BuildText(const DrawJob& job, std::vector<GraphDrawInfo>& out) { BuildTexts(job, ProgramText, out); }

void BuildNumber(const DrawJob& job, std::vector<GraphDrawInfo>& out) { BuildTexts(job, NumberText, out); }
