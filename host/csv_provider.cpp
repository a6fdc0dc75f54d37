#include "csv_provider.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>

namespace abacor_host {
namespace {

enum Column { kDate, kOpen, kHigh, kLow, kClose, kVolume, kAmount, kColumnCount };

struct ColumnName {
  const char* name;
  Column column;
};

constexpr ColumnName kColumnNames[] = {
    {"date", kDate},  {"datetime", kDate}, {"time", kDate},       {"timestamp", kDate}, {"day", kDate},
    {"open", kOpen},  {"high", kHigh},     {"low", kLow},         {"close", kClose},    {"volume", kVolume},
    {"vol", kVolume}, {"amount", kAmount}, {"turnover", kAmount},
};
static_assert(sizeof(kColumnNames) / sizeof(kColumnNames[0]) == 13, "column names");

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  std::string out = s.substr(b, e - b);
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"') out = out.substr(1, out.size() - 2);
  return out;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.push_back(Trim(field));
      field.clear();
      continue;
    }
    field += c;
  }
  fields.push_back(Trim(field));
  return fields;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ParseDigits(const std::string& s, size_t pos, size_t len, int* out) {
  if (pos + len > s.size()) return false;
  int v = 0;
  for (size_t i = pos; i < pos + len; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    v = v * 10 + (s[i] - '0');
  }
  *out = v;
  return true;
}

bool LocalToEpoch(int y, int mo, int d, int h, int mi, int s, int64_t* out) {
  if (y < 1900 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31) return false;
  if (h > 23 || mi > 59 || s > 60) return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1) && !(y == 1969 && mo == 12 && d == 31)) return false;
  if (tm.tm_mday != d || tm.tm_mon != mo - 1) return false;  // 2006-02-30 normalises away
  *out = static_cast<int64_t>(t);
  return true;
}

// date := yyyy sep mm sep dd | yyyymmdd ; time := hh:mm[:ss]
bool ParseDatePart(const std::string& s, int* y, int* mo, int* d, size_t* next) {
  if (s.size() >= 10 && (s[4] == '-' || s[4] == '/') && s[7] == s[4]) {
    *next = 10;
    return ParseDigits(s, 0, 4, y) && ParseDigits(s, 5, 2, mo) && ParseDigits(s, 8, 2, d);
  }
  *next = 8;
  return ParseDigits(s, 0, 4, y) && ParseDigits(s, 4, 2, mo) && ParseDigits(s, 6, 2, d);
}

}  // namespace

bool ParseDateTime(const std::string& text, int64_t* epochSeconds) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  size_t pos = 0;
  if (!ParseDatePart(text, &y, &mo, &d, &pos)) return false;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    ++pos;
    if (!ParseDigits(text, pos, 2, &h) || pos + 2 >= text.size() || text[pos + 2] != ':' ||
        !ParseDigits(text, pos + 3, 2, &mi))
      return false;
    pos += 5;
    if (pos < text.size()) {
      if (text[pos] != ':' || !ParseDigits(text, pos + 1, 2, &sec)) return false;
      pos += 3;
    }
    if (pos != text.size()) return false;
  }
  return LocalToEpoch(y, mo, d, h, mi, sec, epochSeconds);
}

std::string FormatDateTime(int64_t epochSeconds, bool withTime) {
  std::time_t t = static_cast<std::time_t>(epochSeconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return "?";
  char buf[32];
  std::strftime(buf, sizeof buf, withTime ? "%Y-%m-%d %H:%M" : "%Y-%m-%d", &tm);
  return buf;
}

bool CsvBarProvider::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = path + ": cannot open the file";
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  return Parse(buffer.str(), path, error);
}

bool CsvBarProvider::Parse(const std::string& text, const std::string& source, std::string* error) {
  auto fail = [&](int line, const std::string& what) {
    if (error) *error = source + ":" + std::to_string(line) + ": " + what;
    return false;
  };
  int columns[kColumnCount];
  for (int c = 0; c < kColumnCount; ++c) columns[c] = c < kAmount ? c : -1;
  std::vector<Bar> bars;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  bool sawHeader = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trim(line).empty()) continue;
    std::vector<std::string> fields = SplitFields(line);
    int64_t time = 0;
    if (bars.empty() && !sawHeader && !ParseDateTime(fields[0], &time)) {
      // The first line names the columns.
      sawHeader = true;
      for (int c = 0; c < kColumnCount; ++c) columns[c] = -1;
      for (size_t i = 0; i < fields.size(); ++i)
        for (const ColumnName& cn : kColumnNames)
          if (Lower(fields[i]) == cn.name && columns[cn.column] < 0) columns[cn.column] = static_cast<int>(i);
      static const char* const kRequired[] = {"date", "open", "high", "low", "close", "volume"};
      for (int c = 0; c < kAmount; ++c)
        if (columns[c] < 0) return fail(lineNo, std::string("missing column \"") + kRequired[c] + "\"");
      continue;
    }
    Bar bar;
    double* targets[kColumnCount] = {nullptr, &bar.open, &bar.high, &bar.low, &bar.close, &bar.volume, &bar.amount};
    static const char* const kNames[kColumnCount] = {"date", "open", "high", "low", "close", "volume", "amount"};
    for (int c = 0; c < kColumnCount; ++c) {
      if (columns[c] < 0) continue;
      if (static_cast<size_t>(columns[c]) >= fields.size())
        return fail(lineNo, std::string("missing value for column \"") + kNames[c] + "\"");
      const std::string& f = fields[columns[c]];
      if (c == kDate) {
        if (!ParseDateTime(f, &bar.time)) return fail(lineNo, "not a date: \"" + f + "\"");
        continue;
      }
      if (!ParseNumber(f, targets[c]))
        return fail(lineNo, std::string("not a number in column \"") + kNames[c] + "\": \"" + f + "\"");
    }
    bar.hasAmount = columns[kAmount] >= 0;
    if (!bars.empty() && bar.time <= bars.back().time) return fail(lineNo, "dates are not in ascending order");
    bars.push_back(bar);
  }
  if (bars.empty()) return fail(lineNo, "no bars");
  SetBars(std::move(bars));
  return true;
}

void CsvBarProvider::SetBars(std::vector<Bar> bars) {
  bars_ = std::move(bars);
  visible_ = -1;
  DerivePeriod();
  BuildColumns();
}

// Each column holds what GetFieldValue answers for every bar, NaN where it fails.
void CsvBarProvider::BuildColumns() {
  static constexpr int32_t kFieldIds[] = {1, 2, 3, 4, 5, 6, 15};
  columns_.clear();
  for (const int32_t id : kFieldIds) {
    Column column{id, std::vector<double>(bars_.size())};
    for (size_t i = 0; i < bars_.size(); ++i) {
      double v = 0.0;
      const bool ok = GetFieldValue(id, static_cast<int32_t>(i), &v);
      column.cells[i] = ok ? v : std::numeric_limits<double>::quiet_NaN();
    }
    columns_.push_back(std::move(column));
  }
}

void CsvBarProvider::DerivePeriod() {
  periodType_ = 3;
  periodMult_ = 1;
  if (bars_.size() < 2) return;
  std::vector<int64_t> gaps;
  for (size_t i = 1; i < bars_.size(); ++i) gaps.push_back(bars_[i].time - bars_[i - 1].time);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  int64_t gap = gaps[gaps.size() / 2];
  if (gap >= 20 * 3600) return;  // daily bars (weekends make some gaps longer)
  periodType_ = 1;               // minutes
  periodMult_ = static_cast<int32_t>(std::max<int64_t>(gap / 60, 1));
}

int32_t CsvBarProvider::Count() const {
  int32_t n = static_cast<int32_t>(bars_.size());
  return visible_ >= 0 ? std::min(visible_, n) : n;
}

bool CsvBarProvider::GetBarCount(int32_t* count) {
  if (!count) return false;
  *count = Count();
  return true;
}

bool CsvBarProvider::GetTotalBarCount(int32_t* count) { return GetBarCount(count); }

bool CsvBarProvider::GetFieldValue(int32_t fieldId, int32_t bar, double* value) {
  if (!value || bar < 0 || bar >= Count()) return false;
  const Bar& b = bars_[bar];
  switch (fieldId) {
    case 1: *value = b.high; return true;
    case 2: *value = b.open; return true;
    case 3: *value = b.low; return true;
    case 4: *value = b.close; return true;
    case 5:
      if (!b.hasAmount) return false;
      *value = b.amount;
      return true;
    case 6: *value = b.volume; return true;
    case 15:
      if (bar == 0) return false;
      *value = bars_[bar - 1].close;
      return true;
    default: return false;
  }
}

const double* CsvBarProvider::GetFieldColumn(int32_t fieldId, int32_t count) {
  if (count < 0 || count > Count()) return nullptr;
  for (const Column& column : columns_) {
    if (column.fieldId == fieldId) return column.cells.data();
  }
  return nullptr;
}

bool CsvBarProvider::GetScalarValue(int32_t, double*) { return false; }

bool CsvBarProvider::GetAnchorBar(int32_t bar, int32_t, int32_t* anchor) {
  if (anchor) *anchor = bar;
  return true;
}

bool CsvBarProvider::GetPeriod(int32_t* type, int32_t* multiplier) {
  if (type) *type = periodType_;
  if (multiplier) *multiplier = periodMult_;
  return true;
}

bool CsvBarProvider::GetBarTime(int32_t bar, int64_t* time) {
  if (!time || bar < 0 || bar >= Count()) return false;
  *time = bars_[bar].time;
  return true;
}

bool CsvBarProvider::GetBarIndexByTime(int64_t time, int32_t* bar) {
  if (!bar) return false;
  int32_t n = Count();
  auto end = bars_.begin() + n;
  auto it = std::upper_bound(bars_.begin(), end, time, [](int64_t t, const Bar& b) { return t < b.time; });
  // The last bar at or before the time; -1 when the time precedes every bar.
  *bar = static_cast<int32_t>(it - bars_.begin()) - 1;
  return *bar >= 0;
}

bool CsvBarProvider::GetTimeOfDate(int64_t date, int64_t* time) {
  if (!time || date <= 0) return false;
  int y = static_cast<int>(date / 10000), mo = static_cast<int>(date / 100 % 100), d = static_cast<int>(date % 100);
  return LocalToEpoch(y, mo, d, 0, 0, 0, time);
}

}  // namespace abacor_host
