#include "support/vitrine_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}
}  // namespace

VitrineRunner::VitrineRunner() {
  char tmpl[] = "/tmp/vitrine_test_XXXXXX";
  char* dir = mkdtemp(tmpl);
  m_home = dir == nullptr ? "/tmp" : dir;
  m_env["LANG"] = "zh_CN.UTF-8";
  m_env["VITRINE_HOME"] = m_home;
  m_env["VITRINE_CALL_LOG"] = m_home + "/calls.log";
}

VitrineRunner::~VitrineRunner() {
  std::string cmd = "rm -rf " + ShellQuote(m_home);
  int rc = std::system(cmd.c_str());
  (void)rc;
}

std::string VitrineRunner::Command(const std::string& commands) {
  WriteRaw("commands.txt", commands);
  std::string cmd = "exec env -i PATH=/usr/bin:/bin HOME=" + ShellQuote(m_home);
  for (const auto& kv : m_env) cmd += " " + kv.first + "=" + ShellQuote(kv.second);
  cmd += " " + ShellQuote(VITRINE_EXE) + " < " + ShellQuote(m_home + "/commands.txt") + " > " +
         ShellQuote(m_home + "/output.txt") + " 2>&1";
  return cmd;
}

VitrineRun VitrineRunner::Run(const std::string& commands) { return Collect(std::system(Command(commands).c_str())); }

int VitrineRunner::Start(const std::string& commands) {
  std::string cmd = Command(commands);
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

VitrineRun VitrineRunner::Wait(int pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return Collect(status);
}

// A shell may report a child killed by signal N as exit status 128 + N.
VitrineRun VitrineRunner::Collect(int status) {
  VitrineRun run;
  run.output = Slurp(m_home + "/output.txt");
  // A misspelt fault would let a test pass for the wrong reason.
  if (!m_refusedFaultsExpected) {
    EXPECT_EQ(run.output.find("VITRINE_FAULTS: unknown fault"), std::string::npos) << run.output;
  }
  if (WIFEXITED(status)) {
    int code = WEXITSTATUS(status);
    if (code > 128)
      run.signal = code - 128;
    else
      run.exitCode = code;
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
  }
  return run;
}

std::string VitrineRunner::ReadFile(const std::string& name) const { return Slurp(m_home + "/" + name); }

std::vector<std::string> VitrineRunner::WarnLog() const { return Lines(ReadFile("warn.log")); }

std::vector<std::string> VitrineRunner::CallLog() const { return Lines(ReadFile("calls.log")); }

bool VitrineRunner::ReadConfig(const std::string& name, StoredConfig* config) const {
  std::vector<std::string> lines = Lines(ReadFile(name));
  if (lines.size() < 2 || lines.front() != "# vitrine configuration v1") return false;
  StoredConfig parsed;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    int key = 0;
    StoredValue v;
    if (!(in >> key >> v.type >> v.value)) return false;
    parsed[key] = v;
  }
  if (lines.back() != "end " + std::to_string(parsed.size())) return false;
  *config = parsed;
  return true;
}

StoredConfig VitrineRunner::AppConfig() const {
  StoredConfig config;
  ReadConfig("app.cfg", &config);
  return config;
}

void VitrineRunner::WriteConfig(const std::string& name, const StoredConfig& config) const {
  std::string text = "# vitrine configuration v1\n";
  for (const auto& kv : config) {
    text += std::to_string(kv.first) + " " + kv.second.type + " " + std::to_string(kv.second.value) + "\n";
  }
  text += "end " + std::to_string(config.size()) + "\n";
  WriteRaw(name, text);
}

void VitrineRunner::WriteRaw(const std::string& name, const std::string& text) const {
  std::ofstream out(m_home + "/" + name, std::ios::binary);
  out << text;
}

std::vector<std::string> OutputOf(const std::string& output, const std::string& command, int occurrence) {
  std::vector<std::string> all = Lines(output);
  std::vector<std::string> out;
  int seen = -1;
  bool inside = false;
  for (const std::string& line : all) {
    if (line.rfind("> ", 0) == 0) {
      if (inside) break;
      if (line == "> " + command && ++seen == occurrence) inside = true;
      continue;
    }
    if (inside) out.push_back(line);
  }
  return out;
}

std::string Field(const std::vector<std::string>& dump, const std::string& key) {
  if (dump.empty()) return "<missing>";
  const std::string& line = dump.front();
  std::string needle = " " + key + "=";
  size_t pos = line.find(needle);
  if (pos == std::string::npos) return "<missing>";
  pos += needle.size();
  if (pos < line.size() && line[pos] == '"') {
    size_t end = line.rfind('"');
    return line.substr(pos + 1, end - pos - 1);
  }
  size_t end = line.find(' ', pos);
  return line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

std::string Attr(const std::vector<std::string>& dump, const std::string& name) {
  std::string prefix = "  attr " + name + "=\"";
  for (const std::string& line : dump) {
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size(), line.size() - prefix.size() - 1);
  }
  return "<missing>";
}

bool Contains(const std::vector<std::string>& lines, const std::string& needle) {
  return IndexOf(lines, needle) != std::string::npos;
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& needle, size_t from) {
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i].find(needle) != std::string::npos) return i;
  }
  return std::string::npos;
}

size_t CountCodePoints(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

VitrineRun VitrineConsoleTest::Run(const std::string& commands) {
  VitrineRun run = vit.Run(commands);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("error"), std::string::npos) << run.output;
  return run;
}
