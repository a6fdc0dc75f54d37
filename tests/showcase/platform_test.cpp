// The stand-ins' own rules that the program relies on: the configuration
// file, the language identifiers and the helpers shared by the windows.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "showcase/dlg_setting.h"
#include "showcase/platform/automation.h"
#include "showcase/platform/basalt.h"
#include "showcase/platform/faults.h"
#include "showcase/platform/hearth.h"
#include "showcase/platform/kestrel.h"
#include "showcase/platform/ledger.h"
#include "showcase/platform/text.h"
#include "showcase/platform/win32.h"
#include "showcase/vitrine_app.h"

namespace {

TEST(Ledger, SerializedStoreParsesBackToTheSameValues) {
  LedgerStore store = {{20501, {'i', 2}}, {20610, {'b', 1}}, {-5, {'i', -2147483647 - 1}}, {90611, {'i', 1}}};
  LedgerStore parsed;
  ASSERT_TRUE(LedgerParse(LedgerSerialize(store), &parsed));
  ASSERT_EQ(parsed.size(), store.size());
  for (const auto& kv : store) {
    EXPECT_EQ(parsed.at(kv.first).type, kv.second.type);
    EXPECT_EQ(parsed.at(kv.first).value, kv.second.value);
  }
}

TEST(Ledger, RejectsEveryDamagedFile) {
  const std::string good = "# vitrine configuration v1\n20501 int 2\n20610 bool 1\nend 2\n";
  LedgerStore parsed;
  ASSERT_TRUE(LedgerParse(good, &parsed));
  const char* damaged[] = {
      "",                                                               // empty
      "# vitrine configuration v1\n20501 int 2\n",                      // cut before the end line
      "# vitrine configuration v1\n20501 int 2\n20610 bo",              // cut mid-line
      "# vitrine configuration v1\n20501 int 2\nend 3\n",               // count mismatch
      "# vitrine configuration v1\n20501 int 2\n20501 int 3\nend 2\n",  // duplicate key
      "# vitrine configuration v1\n20610 bool 2\nend 1\n",              // bool out of range
      "# vitrine configuration v1\n20501 int 99999999999\nend 1\n",     // value too wide
      "# vitrine configuration v1\n20501 text 2\nend 1\n",              // unknown type
      "# other\n20501 int 2\nend 1\n",                                  // wrong header
      "# vitrine configuration v1\n20501 int 2\nend 1\n20602 int 1\n",  // data after the end
  };
  for (const char* text : damaged) {
    LedgerStore out = {{1, {'i', 1}}};
    EXPECT_FALSE(LedgerParse(text, &out)) << text;
    EXPECT_EQ(out.size(), 1u) << "a failed parse leaves the target alone";
  }
}

TEST(Ledger, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
  char tmpl[] = "/tmp/vitrine_ledger_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  std::string path = dir + "/app.cfg";
  ASSERT_TRUE(LedgerWriteAtomically(path, "first\n"));
  ASSERT_TRUE(LedgerWriteAtomically(path, "second\n"));
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "second\n");
  int entries = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d)) entries += e->d_name[0] == '.' ? 0 : 1;
  closedir(d);
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(LedgerWriteAtomically(dir + "/missing/app.cfg", "x"));
  std::string cleanup = "rm -rf " + dir;
  EXPECT_EQ(std::system(cleanup.c_str()), 0);
}

TEST(Win32, UserLanguageFollowsTheLocale) {
  struct Row {
    const char* locale;
    LANGID id;
    int language;
  };
  const Row rows[] = {
      {"zh_CN.UTF-8", 0x0804, 0}, {"zh_TW.UTF-8", 0x0404, 1},
      {"zh_HK.UTF-8", 0x0C04, 1}, {"zh_MO", 0x1404, 0},
      {"en_US.UTF-8", 0x0409, 2}, {"en_GB", 0x0809, 2},
      {"en_AU", 0x0C09, 2},       {"de_DE.UTF-8", 0x0407, 0},
      {"ja_JP", 0x0411, 0},       {"", 0x0409, 2},
      {"C", 0x0409, 2},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(LangIdFromLocaleName(r.locale), r.id) << r.locale;
    EXPECT_EQ(LanguageFromLangId(r.id), r.language) << r.locale;
  }
  // Primary language 9 is English whatever the sublanguage.
  EXPECT_EQ(LanguageFromLangId(0x4009), 2);
  EXPECT_EQ(LanguageFromLangId(0x0C09 | 0x0400), 2);
}

TEST(Basalt, StrToInt32AcceptsOnlyWholeDecimalNumbers) {
  struct Row {
    const wchar_t* text;
    bool ok;
    int32_t value;
  };
  const Row rows[] = {
      {L"0", true, 0},
      {L"125", true, 125},
      {L"-7", true, -7},
      {L"+8", true, 8},
      {L"2147483647", true, 2147483647},
      {L"-2147483648", true, -2147483647 - 1},
      {L"2147483648", false, 0},
      {L"", false, 0},
      {L"12a", false, 0},
      {L" 1", false, 0},
      {L"-", false, 0},
      {L"99999999999999999999", false, 0},
  };
  for (const Row& r : rows) {
    int32_t v = 42;
    EXPECT_EQ(OM::StrToInt32(r.text, &v), r.ok) << WideToUtf8(r.text);
    EXPECT_EQ(v, r.ok ? r.value : 42) << WideToUtf8(r.text);
  }
}

TEST(Text, Utf8RoundTripAndBrokenBytes) {
  std::wstring wide = L"新建窗口10000 – ok";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
  EXPECT_EQ(Utf8ToWide("a\xE6\x96"), std::wstring(L"a\uFFFD\uFFFD"));
}

TEST(Showcase, ScaleFactorTruncatesWithoutLosingExactHundredths) {
  EXPECT_EQ(ScaleFactor(1.15, 100), 115);
  EXPECT_EQ(ScaleFactor(1.15, 1000), 1150);
  EXPECT_EQ(ScaleFactor(1.999, 100), 199);
  EXPECT_EQ(ScaleFactor(2.0, 100), 200);
  EXPECT_EQ(ScaleFactor(1.2345, 1000), 1234);
}

TEST(Showcase, FormatIntegersFillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatIntegers(L"%d%% - %d%%, %d%%", {100, 200, 125}), L"100% - 200%, 125%");
  EXPECT_EQ(FormatIntegers(L"%d %d %d %d", {1, 2, 3}), L"1 2 3 ");  // a fourth placeholder stays empty
  EXPECT_EQ(FormatIntegers(L"%s and %", {1}), L"%s and %");         // nothing else is interpreted
}

// A dispatch whose p1 is not a number is refused instead of sending an
// address of 0 or ending the console.
TEST(Console, DispatchRefusesAnAddressThatIsNotANumber) {
  for (const char* line : {"dispatch 200712 abc", "dispatch 200712 12x", "dispatch 200712 -"}) {
    std::ostringstream out;
    EXPECT_FALSE(RunAutomationCommand(line, out)) << line;
    EXPECT_NE(out.str().find("error: p1"), std::string::npos) << out.str();
  }
  std::ostringstream out;
  EXPECT_TRUE(RunAutomationCommand("dispatch 200712 0x0", out));
  EXPECT_NE(out.str().find("taken=0"), std::string::npos) << out.str();
}

// The record's address as the console printed it ("  record=0x...").
std::string RecordAddress(const std::string& printed) {
  size_t at = printed.find("record=");
  if (at == std::string::npos) return "";
  size_t end = printed.find('\n', at);
  return printed.substr(at + 7, end - at - 7);
}

// Only addresses of records the console made reach a handler, and they
// point at the group the console was asked to make.
TEST(Console, DispatchPassesOnlyRecordsTheConsoleMade) {
  constexpr UINT kId = 200799;
  std::vector<long long> received;
  int owner = 0;
  IMessageDispatch::Bind(
      kId,
      [&](UINT, WPARAM, std::shared_ptr<msg_body> body) {
        received.push_back(body && body->has_p1() ? body->p1() : -1);
      },
      &owner);
  std::ostringstream made;
  ASSERT_TRUE(RunAutomationCommand("record 2 1007 560 275 3", made)) << made.str();
  std::string address = RecordAddress(made.str());
  ASSERT_FALSE(address.empty()) << made.str();
  long long value = std::strtoll(address.c_str(), nullptr, 16);

  const char* refused[] = {"12345", "0x10", "-1"};
  for (const char* p1 : refused) {
    std::ostringstream out;
    EXPECT_FALSE(RunAutomationCommand(std::string("dispatch 200799 ") + p1, out)) << p1;
    EXPECT_NE(out.str().find(std::string("error: p1 ") + p1 + " is not a record made by the console"),
              std::string::npos)
        << out.str();
  }
  std::ostringstream near;
  EXPECT_FALSE(RunAutomationCommand("dispatch 200799 " + std::to_string(value + 8), near));
  EXPECT_TRUE(received.empty()) << "a refused dispatch reached the handler";

  std::ostringstream out;
  ASSERT_TRUE(RunAutomationCommand("dispatch 200799 " + address, out)) << out.str();
  EXPECT_NE(out.str().find("taken=1"), std::string::npos) << out.str();
  ASSERT_EQ(received, std::vector<long long>{value});
  const auto* group = reinterpret_cast<const TarnBubbleGroupInfo*>(received[0]);
  EXPECT_EQ(group->kind, 2);
  EXPECT_EQ(group->groupId, 1007);
  ASSERT_EQ(group->bubbles->size(), 1u);
  EXPECT_EQ((*group->bubbles)[0]->anchorX, 560);
  EXPECT_EQ((*group->bubbles)[0]->anchorY, 275);
  EXPECT_EQ((*group->bubbles)[0]->side, 3);
  IMessageDispatch::UnBind(&owner);
}

// Each fault item takes only the values it understands; a misspelt one is
// refused and leaves the faults as they were.
TEST(Faults, UnknownNamesAndValuesAreRefused) {
  struct Row {
    const char* spec;
    bool accepted;
  };
  const Row rows[] = {
      {"cfg-write=20602", true},
      {"cfg-write=all", true},
      {"cfg-write=", false},
      {"cfg-write=12a", false},
      {"cfg-writ=20602", false},
      {"cfg-persist", true},
      {"cfg-persist=1", false},
      {"change-skin", true},
      {"Change-skin", false},
      {"skin-missing=1", true},
      {"skin-missing", false},
      {"crash-save=pause", true},
      {"crash-save=renamed", true},
      {"crash-save=bogus", false},
      {"slow-save=20", true},
      {"slow-save=-1", false},
      {"slow-save=5000", false},
      {"clear", true},
      {"", true},
      {"change-skin,oops", false},
  };
  for (const Row& r : rows) {
    ASSERT_TRUE(ApplyFaultSpec("clear"));
    EXPECT_EQ(ApplyFaultSpec(r.spec), r.accepted) << r.spec;
  }
  ASSERT_TRUE(ApplyFaultSpec("clear"));
  EXPECT_FALSE(ApplyFaultSpec("crash-save=bogus,cfg-write=x"));
  EXPECT_EQ(Faults().crashSave, "");
  EXPECT_FALSE(CfgWriteFails(0));
  ASSERT_TRUE(ApplyFaultSpec("clear"));
}

}  // namespace
