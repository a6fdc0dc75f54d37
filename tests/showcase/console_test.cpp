// The automation console refusing bad input and carrying on, the fault list
// checked at start-up, and the configuration surviving several instances.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "showcase/vitrine_app.h"
#include "support/vitrine_runner.h"

namespace {

struct Refusal {
  const char* line;
  const char* message;
};

constexpr Refusal kRefusals[] = {
    {"select mytree zz", "error: item zz is not a number"},
    {"select mytree 3x", "error: item 3x is not a number"},
    {"select mytree 99999999999", "error: item 99999999999 is out of range"},
    {"select mytree", "error: missing arguments"},
    {"event abc menu_test", "error: event id abc is not a number"},
    {"msg main zz", "error: message id zz is not a number"},
    {"msg main 16 w", "error: wparam w is not a number"},
    {"post main 16 0 1.5", "error: lparam 1.5 is not a number"},
    {"move main 1O 20", "error: x 1O is not a number"},
    {"resize main 800 tall", "error: y tall is not a number"},
    {"cursor 5 -", "error: y - is not a number"},
    {"dispatch 200710 12345", "error: p1 12345 is not a record made by the console"},
    {"dispatch 200710 0x7ffd00001000", "error: p1 0x7ffd00001000 is not a record made by the console"},
    {"dispatch 200710 abc", "error: p1 abc is not a number"},
    {"dispatch show 0", "error: message id show is not a number"},
    {"record 1 x", "error: group x is not a number"},
    {"record 1 1001 5 6", "error: missing arguments"},
    {"fault cfg-writ=20602", "error: unknown fault cfg-writ=20602"},
    {"calls clr", "error: calls takes only \"clear\""},
    {"config files", "error: config takes only \"file\""},
    {"frobnicate", "error: unknown command frobnicate"},
};

// Every refused line prints its message, changes nothing, and the program
// goes on to the next command and shuts down normally.
TEST(ConsoleRefusals, EachBadLineIsRefusedAndTheProgramCarriesOn) {
  VitrineRunner vit;
  std::string commands = "select mytree 4\nwindow main\n";
  for (const Refusal& r : kRefusals) commands += std::string(r.line) + "\ndump mytree\n";
  commands += "window main\nwindow bubble\nselect mytree 2\ndump mytree\n";
  VitrineRun run = vit.Run(commands);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const std::vector<std::string> selected4 = OutputOf(run.output, "dump mytree", 0);
  ASSERT_TRUE(Contains(selected4, "  item 4 data=4 selected text=")) << run.output;
  int n = 0;
  for (const Refusal& r : kRefusals) {
    EXPECT_EQ(OutputOf(run.output, r.line), std::vector<std::string>{r.message}) << r.line;
    EXPECT_EQ(OutputOf(run.output, "dump mytree", n++), selected4) << "after " << r.line;
  }
  EXPECT_EQ(OutputOf(run.output, "window main", 1), OutputOf(run.output, "window main", 0));
  EXPECT_EQ(Field(OutputOf(run.output, "window bubble"), "exists"), "0");
  EXPECT_TRUE(Contains(OutputOf(run.output, "dump mytree", n), "  item 2 data=2 selected text="));
  EXPECT_NE(run.output.find("> (end of input: closing dlg_Vitrine)"), std::string::npos);
  EXPECT_TRUE(vit.WarnLog().empty());
}

// A misspelt fault is named at start-up; the items around it still apply.
TEST(ConsoleRefusals, UnknownFaultNamesAreReportedAtStartUp) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_FAULTS", "cfg-writ=20602,change-skin,crash-save=bogus,skin-missing");
  vit.ExpectRefusedFaults();
  VitrineRun run = vit.Run("");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const char* item : {"cfg-writ=20602", "crash-save=bogus", "skin-missing"}) {
    EXPECT_NE(run.output.find(std::string("vitrine: VITRINE_FAULTS: unknown fault ") + item + " (ignored)\n"),
              std::string::npos)
        << item << "\n"
        << run.output;
  }
  EXPECT_EQ(run.output.find("unknown fault change-skin"), std::string::npos) << run.output;
  EXPECT_EQ(vit.WarnLog(), std::vector<std::string>{"Vitrine, 395"});  // change-skin took effect
}

TEST(ConsoleRefusals, KnownFaultsReportNothing) {
  VitrineRunner vit;
  vit.SetEnv("VITRINE_FAULTS", "cfg-write=20602,,slow-save=1");
  VitrineRun run = vit.Run("");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("VITRINE_FAULTS"), std::string::npos) << run.output;
}

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// A child that has ended and been reaped: its id names no process.
pid_t DeadPid() {
  pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

// Leftover temporary files are removed when their process is gone (ended,
// or a zombie) or the name carries no process id; a live process's is kept.
TEST(StaleTemporaries, OnlyThoseOfLiveProcessesSurviveStartUp) {
  VitrineRunner vit;
  pid_t zombie = fork();
  if (zombie == 0) _exit(0);
  usleep(20000);
  const std::string live = "app.cfg.tmp." + std::to_string(getpid());
  const std::vector<std::string> stale = {"app.cfg.tmp." + std::to_string(DeadPid()),
                                          "user.cfg.tmp." + std::to_string(DeadPid()),
                                          "app.cfg.tmp." + std::to_string(zombie), "app.cfg.tmp.x12", "app.cfg.tmp."};
  vit.WriteRaw(live, "half a sa");
  for (const std::string& name : stale) vit.WriteRaw(name, "half a sa");
  VitrineRun run = vit.Run("");
  waitpid(zombie, nullptr, 0);
  ASSERT_EQ(run.exitCode, 0) << run.output;
  for (const std::string& name : stale) EXPECT_FALSE(Exists(vit.Home() + "/" + name)) << name;
  EXPECT_EQ(vit.ReadFile(live), "half a sa");
  StoredConfig c;
  EXPECT_TRUE(vit.ReadConfig("app.cfg", &c));
  EXPECT_EQ(c.count(90611), 1u);
}

// A configuration directory whose path does not fit the path buffer: the
// program runs on with its settings in memory and says so in the log.
TEST(LongConfigurationPath, IsLoggedAndTheProgramRunsOn) {
  VitrineRunner vit;
  const std::string sub = std::string(200, 'h') + "/" + std::string(100, 'v');
  vit.SetEnv("VITRINE_HOME", vit.Home() + "/" + sub);
  VitrineRun run = vit.Run("config\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(vit.ReadFile(sub + "/warn.log"), "Vitrine, " + std::to_string(kLogConfigPathLine) + "\n");
  EXPECT_FALSE(Exists(vit.Home() + "/" + sub + "/app.cfg"));
  EXPECT_NE(run.output.find("app: 20501=0 20602=0 20611=1000 20621=1 90611=1"), std::string::npos) << run.output;
}

int StoredValue(const StoredConfig& c, int key) {
  auto it = c.find(key);
  return it == c.end() ? -999 : it->second.value;
}

// Two instances on one configuration directory, started together, both
// saving at start-up and at exit with slowed saves. One changes the rise
// colour (a key only it writes); nothing may fail, no save may be lost and
// no temporary file may remain.
TEST(TwoInstances, SavingAtOnceLoseNothing) {
  for (int round = 0; round < 8; ++round) {
    VitrineRunner a;
    VitrineRunner b;
    b.SetEnv("VITRINE_HOME", a.Home());
    a.SetEnv("VITRINE_FAULTS", "slow-save=40");
    b.SetEnv("VITRINE_FAULTS", "slow-save=15");
    int pa = a.Start("click btn_setting\nclick greenrise\nclick btn_ok\n");
    int pb = b.Start("window main\n");
    ASSERT_GT(pa, 0);
    ASSERT_GT(pb, 0);
    VitrineRun ra = a.Wait(pa);
    VitrineRun rb = b.Wait(pb);
    ASSERT_EQ(ra.exitCode, 0) << ra.output;
    ASSERT_EQ(rb.exitCode, 0) << rb.output;
    EXPECT_TRUE(a.WarnLog().empty()) << "round " << round << ": " << a.ReadFile("warn.log");
    StoredConfig app;
    StoredConfig user;
    ASSERT_TRUE(a.ReadConfig("app.cfg", &app)) << a.ReadFile("app.cfg");
    ASSERT_TRUE(a.ReadConfig("user.cfg", &user)) << a.ReadFile("user.cfg");
    EXPECT_EQ(StoredValue(user, 50501), 0) << "round " << round << ": the green-rise choice was lost";
    EXPECT_EQ(StoredValue(app, 20501), 0) << "round " << round;
    EXPECT_EQ(StoredValue(app, 20602), 0) << "round " << round;
    EXPECT_EQ(StoredValue(app, 20611), 1000) << "round " << round;
    EXPECT_EQ(StoredValue(app, 20621), 1) << "round " << round;
    EXPECT_EQ(StoredValue(app, 90611), 1) << "round " << round;
    int redRises = StoredValue(app, 50501);
    EXPECT_TRUE(redRises == 0 || redRises == 1) << "round " << round << ": " << redRises;
    EXPECT_EQ(a.ReadFile("app.cfg.tmp." + std::to_string(pa)), "");
    EXPECT_EQ(a.ReadFile("app.cfg.tmp." + std::to_string(pb)), "");
  }
}

}  // namespace
