// Runs the vitrine program in a child process with a fresh configuration
// directory, feeds it automation commands and reads back what it printed and
// the files it left.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

struct StoredValue {
  std::string type;  // "int" or "bool"
  int value;
};
using StoredConfig = std::map<int, StoredValue>;

struct VitrineRun {
  int exitCode = -1;  // -1 when the process did not exit normally
  int signal = 0;     // the signal that ended it, if any
  std::string output;
};

class VitrineRunner {
 public:
  VitrineRunner();
  ~VitrineRunner();
  VitrineRunner(const VitrineRunner&) = delete;
  VitrineRunner& operator=(const VitrineRunner&) = delete;

  void SetEnv(const std::string& name, const std::string& value) { m_env[name] = value; }
  // Runs fail a test when the program refuses an item of VITRINE_FAULTS,
  // unless the test means to give it one.
  void ExpectRefusedFaults() { m_refusedFaultsExpected = true; }
  VitrineRun Run(const std::string& commands);
  // Starts the program without waiting; Wait collects it.
  int Start(const std::string& commands);
  VitrineRun Wait(int pid);

  const std::string& Home() const { return m_home; }
  std::string ReadFile(const std::string& name) const;
  std::vector<std::string> WarnLog() const;
  std::vector<std::string> CallLog() const;
  // Parsed with a reader of its own: false when the file is not a complete
  // configuration file.
  bool ReadConfig(const std::string& name, StoredConfig* config) const;
  StoredConfig AppConfig() const;
  void WriteConfig(const std::string& name, const StoredConfig& config) const;
  void WriteRaw(const std::string& name, const std::string& text) const;

 private:
  std::string Command(const std::string& commands);
  VitrineRun Collect(int status);

  std::string m_home;
  std::map<std::string, std::string> m_env;
  bool m_refusedFaultsExpected = false;
};

// A test that drives one fresh program: Run expects a normal exit and no
// console error.
class VitrineConsoleTest : public ::testing::Test {
 protected:
  VitrineRun Run(const std::string& commands);
  VitrineRunner vit;
};

// The lines printed after the n-th echo of a command (0 = first), up to the
// next echoed command.
std::vector<std::string> OutputOf(const std::string& output, const std::string& command, int occurrence = 0);
// One line of a dump: the value of "key=" in its first line (quotes removed).
std::string Field(const std::vector<std::string>& dump, const std::string& key);
// The value of an attribute line ("  attr NAME=...") in a dump.
std::string Attr(const std::vector<std::string>& dump, const std::string& name);
bool Contains(const std::vector<std::string>& lines, const std::string& needle);
size_t CountCodePoints(const std::string& utf8);
// Position of the first line that contains needle at or after from; npos if none.
size_t IndexOf(const std::vector<std::string>& lines, const std::string& needle, size_t from = 0);
