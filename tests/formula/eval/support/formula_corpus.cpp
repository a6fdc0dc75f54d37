#include "support/formula_corpus.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> SortedFiles(const fs::path& folder, bool recursive) {
  std::vector<fs::path> files;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return files;
  if (recursive) {
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  } else {
    for (const auto& e : fs::directory_iterator(folder, ec)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsIdent(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Reads a C++ source text: skips comments and character literals, decodes
// string literals (escapes and raw strings) and joins adjacent ones.
class LiteralScanner {
 public:
  explicit LiteralScanner(const std::string& s) : s_(s) {}

  std::vector<std::pair<int, std::string>> Run() {
    std::vector<std::pair<int, std::string>> out;
    while (i_ < s_.size()) {
      if (SkipComment()) continue;
      if (StartsString()) {
        const int line = line_;
        std::string text;
        do {
          text += ReadString();
          SkipBlank();
        } while (StartsString());
        out.emplace_back(line, std::move(text));
        continue;
      }
      if (s_[i_] == '\'' && (i_ == 0 || !std::isxdigit(static_cast<unsigned char>(s_[i_ - 1])))) {
        SkipCharLiteral();
        continue;
      }
      Advance();
    }
    return out;
  }

 private:
  char At(size_t k) const { return k < s_.size() ? s_[k] : '\0'; }
  void Advance() {
    if (s_[i_] == '\n') ++line_;
    ++i_;
  }

  // `// ...` or `/* ... */`.
  bool SkipComment() {
    if (At(i_) != '/' || (At(i_ + 1) != '/' && At(i_ + 1) != '*')) return false;
    const bool block = At(i_ + 1) == '*';
    i_ += 2;
    while (i_ < s_.size()) {
      if (!block && s_[i_] == '\n') return true;
      if (block && s_[i_] == '*' && At(i_ + 1) == '/') {
        i_ += 2;
        return true;
      }
      Advance();
    }
    return true;
  }

  // Whitespace and comments between adjacent literals.
  void SkipBlank() {
    while (i_ < s_.size()) {
      if (SkipComment()) continue;
      if (!std::isspace(static_cast<unsigned char>(s_[i_]))) return;
      Advance();
    }
  }

  // A literal starts here: `"`, `R"`, or either after a u8/u/U/L prefix
  // that is not the tail of a longer name.
  bool StartsString() const {
    size_t k = i_;
    if (At(k) == '"') return true;
    if (k > 0 && IsIdent(s_[k - 1])) return false;
    for (const char* prefix : {"u8", "u", "U", "L"}) {
      const size_t n = std::char_traits<char>::length(prefix);
      if (s_.compare(k, n, prefix) == 0 && (At(k + n) == '"' || (At(k + n) == 'R' && At(k + n + 1) == '"'))) {
        k += n;
        break;
      }
    }
    if (At(k) == 'R') ++k;
    return At(k) == '"';
  }

  std::string ReadString() {
    while (s_[i_] != '"' && s_[i_] != 'R') ++i_;
    if (s_[i_] == 'R') {
      ++i_;
      return ReadRaw();
    }
    ++i_;
    std::string text;
    while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n') {
      if (s_[i_] == '\\') {
        text += ReadEscape();
        continue;
      }
      text += s_[i_++];
    }
    if (i_ < s_.size()) Advance();
    return text;
  }

  // R"delim( ... )delim"
  std::string ReadRaw() {
    ++i_;
    const size_t open = s_.find('(', i_);
    if (open == std::string::npos) return {};
    const std::string close = ")" + s_.substr(i_, open - i_) + "\"";
    const size_t end = s_.find(close, open + 1);
    const size_t stop = end == std::string::npos ? s_.size() : end;
    std::string text = s_.substr(open + 1, stop - open - 1);
    while (i_ < std::min(s_.size(), stop + close.size())) Advance();
    return text;
  }

  // One escape sequence after a backslash.
  std::string ReadEscape() {
    ++i_;
    const char c = At(i_++);
    switch (c) {
      case 'n': return "\n";
      case 't': return "\t";
      case 'r': return "\r";
      case 'a': return "\a";
      case 'b': return "\b";
      case 'f': return "\f";
      case 'v': return "\v";
      case 'x': return std::string(1, static_cast<char>(ReadDigits(16, 2)));
      default: break;
    }
    if (c >= '0' && c <= '7') {
      --i_;
      return std::string(1, static_cast<char>(ReadDigits(8, 3)));
    }
    if (c == '\n') {
      ++line_;
      return "";
    }
    return std::string(1, c);
  }

  int ReadDigits(int base, int most) {
    int value = 0;
    for (int n = 0; n < most; ++n) {
      const char c = At(i_);
      const int d = std::isdigit(static_cast<unsigned char>(c))    ? c - '0'
                    : std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                   : 99;
      if (d >= base) break;
      value = value * base + d;
      ++i_;
    }
    return value;
  }

  void SkipCharLiteral() {
    ++i_;
    while (i_ < s_.size() && s_[i_] != '\'' && s_[i_] != '\n') i_ += s_[i_] == '\\' ? 2 : 1;
    if (i_ < s_.size()) Advance();
  }

  const std::string& s_;
  size_t i_ = 0;
  int line_ = 1;
};

// A `;` or a name directly followed by `(`.
bool LooksLikeFormula(const std::string& text) {
  if (text.find(';') != std::string::npos) return true;
  for (size_t k = 1; k < text.size(); ++k) {
    if (text[k] == '(' && std::isalpha(static_cast<unsigned char>(text[k - 1]))) return true;
  }
  return false;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

}  // namespace

std::vector<CorpusFormula> FormulasInFolder(const std::string& folder, const std::string& extension) {
  std::vector<CorpusFormula> out;
  for (const auto& path : SortedFiles(folder, false)) {
    if (!extension.empty() && path.extension().string() != extension) continue;
    std::string text = ReadFile(path);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    out.push_back({path.filename().string(), text});
  }
  return out;
}

std::vector<CorpusFormula> ReferenceExamples(const std::string& path) {
  std::vector<CorpusFormula> out;
  const std::string name = fs::path(path).filename().string();
  std::istringstream in(ReadFile(path));
  std::string line;
  int number = 0;
  bool inExample = false;
  while (std::getline(in, line)) {
    ++number;
    if (inExample && !line.empty() && line[0] == ' ') {
      out.back().text += "\n" + Trim(line);
      continue;
    }
    inExample = line.compare(0, 8, "example:") == 0;
    if (inExample) out.push_back({name + ":" + std::to_string(number), Trim(line.substr(8))});
  }
  return out;
}

std::vector<std::pair<int, std::string>> StringLiterals(const std::string& source) {
  return LiteralScanner(source).Run();
}

std::vector<CorpusFormula> FormulaLiterals(const std::string& folder) {
  std::vector<CorpusFormula> out;
  for (const auto& path : SortedFiles(folder, true)) {
    const std::string ext = path.extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    const std::string name = fs::relative(path, folder).string();
    for (auto& [line, text] : StringLiterals(ReadFile(path))) {
      if (LooksLikeFormula(text)) out.push_back({name + ":" + std::to_string(line), std::move(text)});
    }
  }
  return out;
}

std::vector<CorpusFormula> WithoutRepeats(std::vector<CorpusFormula> formulas) {
  std::set<std::string> seen;
  std::vector<CorpusFormula> out;
  for (auto& f : formulas) {
    if (seen.insert(f.text).second) out.push_back(std::move(f));
  }
  return out;
}
