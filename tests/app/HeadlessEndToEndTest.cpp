// `talvenor --headless` as a separate process on real folders: copies, log, snapshot, the
// instance guard, refusals and the end by SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

#include "backup/GenerationRecord.h"
#include "backup/HeldEntry.h"
#include "core/Messages.h"
#include "support/TempDir.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::ReadFile;

// A private home for the child: settings, runtime folder (instance lock) and current directory.
class HeadlessEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* binary = std::getenv("TALVENOR_BINARY");
    if (binary != nullptr && binary[0] != '\0') {
      m_binary = binary;
    } else {
      // Run by hand: the program is built beside the tests.
      const fs::path self = fs::read_symlink("/proc/self/exe");
      m_binary = (self.parent_path().parent_path() / "src" / "talvenor").string();
    }
    if (!fs::exists(m_binary)) GTEST_SKIP() << "no talvenor program at " << m_binary;
    watch = root.MakeFolder("watch");
    backup = root.MakeFolder("backup");
    home = root.MakeFolder("home");
    root.MakeFolder("run");
    root.Write("config/QUORVATH/Q7/talvenor.ini",
               "[Settings]\nDIR1=" + watch + "\nDIR2=" + backup + "\nLEVEL=1\nFIRST=0\n");
  }
  void TearDown() override {
    for (pid_t pid : m_children) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
  }

  // Standard output goes to <name>.out, or to the given descriptor.
  pid_t Spawn(const std::vector<std::string>& args, const std::string& name, int stdoutFd = -1) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (beforeExec) beforeExec();
      ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
      ::setenv("LC_ALL", locale.c_str(), 1);
      ::unsetenv("LANGUAGE");
      // A window start here has no desktop: what it says goes to standard error alone.
      for (const char* desktop : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(desktop);
      if (::chdir(home.c_str()) != 0) ::_exit(127);
      const int out =
          stdoutFd >= 0 ? stdoutFd : ::open((root / (name + ".out")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open((root / (name + ".err")).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(err, 2);
      ::signal(SIGPIPE, SIG_DFL);  // as a shell starts it, whatever the test runner does
      std::vector<char*> argv{m_binary.data()};
      std::vector<std::string> words = args;
      for (std::string& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      ::execv(m_binary.c_str(), argv.data());
      ::_exit(127);
    }
    m_children.push_back(pid);
    return pid;
  }

  // The exit status, or nothing when the child did not end in time.
  std::optional<int> WaitFor(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(10)) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        std::erase(m_children, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

  int RunToEnd(const std::vector<std::string>& args, const std::string& name) {
    return WaitFor(Spawn(args, name)).value_or(-1);
  }

  // Polls for up to about five seconds.
  static bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 250 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
  }

  // Saves the file until its copy appears: the watcher is set up after the baseline, so the
  // first saves may come before it.
  bool SaveUntilCopied(const std::string& name) {
    for (int i = 0; i < 40; ++i) {
      std::ofstream(watch + "/" + name) << "version " << i;
      const auto end = Clock::now() + std::chrono::milliseconds(500);
      while (Clock::now() < end) {
        if (!CopiesOf(name).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
    return false;
  }

  // Generation folders holding a copy of this name.
  std::vector<fs::path> CopiesOf(const std::string& name) const {
    std::vector<fs::path> found;
    for (const auto& generation : fs::directory_iterator(backup)) {
      if (fs::exists(generation.path() / name)) found.push_back(generation.path() / name);
    }
    return found;
  }

  test::TempDir root;
  std::string watch, backup, home;
  std::string locale = "C.UTF-8";    // the child's LC_ALL, which decides its language
  std::function<void()> beforeExec;  // run in the child before the program starts

 private:
  std::string m_binary;
  std::vector<pid_t> m_children;
};

TEST_F(HeadlessEndToEndTest, CopiesChangedFilesLogsThemAndEndsCleanlyOnSigterm) {
  std::ofstream(watch + "/existing.txt") << "there before Start";
  const std::string settingsBefore = ReadFile(root / "config/QUORVATH/Q7/talvenor.ini");
  const pid_t pid = Spawn({"--headless"}, "run");

  ASSERT_TRUE(SaveUntilCopied("report.txt")) << ReadFile(root / "run.err");
  fs::create_directories(watch + "/sub");
  std::ofstream(watch + "/sub/data.csv") << "1,2,3";
  ASSERT_TRUE(WaitUntil([&] { return !CopiesOf("data.csv").empty(); }));
  ASSERT_EQ(CopiesOf("data.csv").size(), 1u);
  EXPECT_TRUE(CopiesOf("existing.txt").empty());  // FIRST 0: the baseline took it in

  const fs::path copy = CopiesOf("data.csv")[0];
  const std::string generation = copy.parent_path().filename().string();
  EXPECT_EQ(generation.size(), 16u);
  EXPECT_EQ(ReadFile(copy.string()), "1,2,3");

  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_EQ(WaitFor(pid), 0);

  const std::string log = ReadFile(home + "/log.csv");
  const std::string line = "data.csv," + watch + "/sub/data.csv," + copy.string();
  EXPECT_NE(log.find("<" + generation + ">"), std::string::npos);
  EXPECT_NE(log.find(line), std::string::npos) << log;
  // Each log line is echoed to standard output as it is written.
  EXPECT_NE(ReadFile(root / "run.out").find(line + "\n"), std::string::npos);
  const std::string snapshot = ReadFile(home + "/test2.dat");
  EXPECT_NE(snapshot.find("data.csv"), std::string::npos);
  EXPECT_NE(snapshot.find(watch + "/sub/"), std::string::npos);
  EXPECT_EQ(ReadFile(root / "config/QUORVATH/Q7/talvenor.ini"), settingsBefore);
}

// `talvenor --headless | head -n 1`: once the reader has gone, echoing a line must neither end
// the program by SIGPIPE nor stop the copying.
TEST_F(HeadlessEndToEndTest, AStandardOutputNobodyReadsStopsNothing) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  const pid_t pid = Spawn({"--headless"}, "closed", ends[1]);
  ::close(ends[1]);
  ASSERT_TRUE(SaveUntilCopied("first.txt")) << ReadFile(root / "closed.err");
  // The first copy's log lines have met the closed pipe; the monitoring still goes on.
  std::ofstream(watch + "/second.txt") << "after";
  EXPECT_TRUE(WaitUntil([&] { return CopiesOf("second.txt").size() == 1u; }));
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_EQ(WaitFor(pid), 0);
  EXPECT_NE(ReadFile(home + "/log.csv").find("second.txt,"), std::string::npos);
}

// A second copy says in one line that one runs; `--status` tells what the first does, and
// changes nothing; a window start without a desktop says how to stop a copy without a window.
TEST_F(HeadlessEndToEndTest, ASecondInstanceEndsWithStatusFour) {
  EXPECT_EQ(RunToEnd({"--status"}, "none"), 1);
  EXPECT_EQ(ReadFile(root / "none.out"), "Talvenor is not running for this user.\n");
  const pid_t first = Spawn({"--headless"}, "first");
  // The first copy holds the guard once it has written its baseline.
  WaitUntil([&] { return fs::exists(home + "/test2.dat"); });
  ASSERT_TRUE(SaveUntilCopied("a.txt"));
  const std::string process = "(process " + std::to_string(first) + ", without a window)";
  EXPECT_EQ(RunToEnd({"--headless", "--once"}, "second"), 4);
  EXPECT_EQ(ReadFile(root / "second.err"), "talvenor: another instance is already running for this user " + process +
                                               "; talvenor --status tells what it does\n");

  EXPECT_TRUE(WaitUntil([&] {
    return RunToEnd({"--status"}, "status") == 0 &&
           ReadFile(root / "status.out").find("Copies made today: 0") == std::string::npos;
  }));
  const std::string status = ReadFile(root / "status.out");
  EXPECT_EQ(status.rfind("Talvenor is running for this user " + process + ".\nState: monitoring\nWatched folder: " +
                             watch + "\nBackup folder: " + backup + "\nLast pass with changes: ",
                         0),
            0u)
      << status;
  EXPECT_NE(status.find("\nCopies made today: "), std::string::npos) << status;
  std::vector<std::string> runtime;  // --status made no file of its own
  for (const auto& e : fs::directory_iterator(root / "run")) runtime.push_back(e.path().filename().string());
  std::sort(runtime.begin(), runtime.end());
  EXPECT_EQ(runtime, (std::vector<std::string>{"TALVENOR.lock", "TALVENOR.status"}));
  EXPECT_EQ(RunToEnd({}, "window"), 0);
  EXPECT_EQ(ReadFile(root / "window.err"),
            "talvenor: the window cannot open while Talvenor runs without a window (process " + std::to_string(first) +
                "); stop it first: systemctl --user stop talvenor.service, or kill " + std::to_string(first) + "\n");
  ::kill(first, SIGINT);
  EXPECT_EQ(WaitFor(first), 0);
  EXPECT_EQ(RunToEnd({"--status"}, "after"), 1);
  EXPECT_FALSE(fs::exists(root / "run/TALVENOR.status"));
}

// A signal during a long pass ends it after the file in progress: the files not copied are
// named by number on standard error and copied by the next run's pass.
TEST_F(HeadlessEndToEndTest, ASignalDuringAPassEndsItAfterTheFileInProgress) {
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) std::ofstream(watch + "/f" + std::to_string(i)) << "x";
  root.Write("config/QUORVATH/Q7/talvenor.ini",
             "[Settings]\nDIR1=" + watch + "\nDIR2=" + backup + "\nLEVEL=1\nFIRST=1\nLOGSZ=10000\n");
  const auto copies = [&] {
    std::size_t n = 0;
    // Copies lie in generation folders; a generation's record is no copy.
    for (const auto& generation : fs::directory_iterator(backup)) {
      if (!generation.is_directory()) continue;
      for (const auto& e : fs::directory_iterator(generation.path()))
        n += e.path().filename() != GenerationRecord::kFileName ? 1 : 0;
    }
    return n;
  };
  const pid_t run = Spawn({"--headless"}, "run");
  // No snapshot: the first pass after a change copies every file; ended once copies appear.
  ASSERT_TRUE(WaitUntil([&] {
    std::ofstream(watch + "/trigger") << "t";
    return copies() > 0;
  }));
  ::kill(run, SIGTERM);
  EXPECT_EQ(WaitFor(run, std::chrono::seconds(60)), 0);
  const std::size_t made = copies();
  ASSERT_LT(made, static_cast<std::size_t>(kFiles + 1));
  const std::string left = std::to_string(kFiles + 1 - made);
  EXPECT_NE(ReadFile(root / "run.err").find("talvenor: " + msg::Format(msg::kFilesLeftForNextPass, {left}) + "\n"),
            std::string::npos)
      << ReadFile(root / "run.err");
  EXPECT_EQ(RunToEnd({"--headless", "--once"}, "again"), 0);
  EXPECT_EQ(copies(), static_cast<std::size_t>(kFiles + 1));
}

TEST_F(HeadlessEndToEndTest, ARefusedFolderEndsWithStatusThreeWithoutAWalk) {
  EXPECT_EQ(RunToEnd({"--headless", "--watch", "/"}, "root"), 3);
  // "/" holds every backup folder, so the pair check speaks first, then Start's own message.
  const std::string err = ReadFile(root / "root.err");
  EXPECT_EQ(err.rfind("talvenor: 監視先とバックアップ先が同じディレクトリです", 0), 0u) << err;
  // Without a window, the terminal names the folders the message is about.
  EXPECT_EQ(err.substr(err.find('\n') + 1),
            "talvenor: watched /, backup " + backup + ": 監視先とバックアップ先を確認してください\n");
  EXPECT_EQ(RunToEnd({"--headless", "--once", "--backup", watch + "/inside"}, "inside"), 3);
  EXPECT_EQ(RunToEnd({"--headless", "--backup", watch + "/inside", "--state-dir", "state"}, "state"), 3);
  // A refused start writes nothing, not even an empty log or the state folder it was given.
  EXPECT_TRUE(fs::is_empty(home));
}

TEST_F(HeadlessEndToEndTest, RefusalsSpeakTheUsersLanguage) {
  const struct {
    const char* locale;
    const char* err;
  } cases[] = {
      {"ja_JP.UTF-8", "監視先とバックアップ先を確認してください\n"},
      {"en_US.UTF-8", "Check the watched folder and the backup folder.\n"},
  };
  for (const auto& c : cases) {
    locale = c.locale;
    EXPECT_EQ(RunToEnd({"--headless", "--once", "--watch", root / "missing"}, "refused"), 3);
    EXPECT_EQ(ReadFile(root / "refused.err"),
              "talvenor: watched " + (root / "missing") + ", backup " + backup + ": " + c.err);
  }
}

TEST_F(HeadlessEndToEndTest, OnceRunsOnePassAgainstTheSavedSnapshot) {
  std::ofstream(watch + "/a.txt") << "a";
  EXPECT_EQ(RunToEnd({"--headless", "--once"}, "once1"), 0);
  ASSERT_EQ(CopiesOf("a.txt").size(), 1u);  // no snapshot yet: every file is new
  EXPECT_EQ(RunToEnd({"--headless", "--once"}, "once2"), 0);
  EXPECT_EQ(CopiesOf("a.txt").size(), 1u);
  // --watch and --backup hold for this run only.
  const std::string other = root.MakeFolder("other");
  std::ofstream(other + "/b.txt") << "b";
  const std::string otherBackup = root.MakeFolder("elsewhere");
  EXPECT_EQ(RunToEnd({"--headless", "--once", "--watch", other, "--backup=" + otherBackup}, "once3"), 0);
  EXPECT_EQ(std::count_if(fs::directory_iterator(otherBackup), fs::directory_iterator(),
                          [](const fs::directory_entry& e) { return e.path().filename() != ".talvenor-generations"; }),
            1);
  // The pass's opening marker "<YYYYMMDDhhmmss.N>" comes first on standard output.
  EXPECT_EQ(ReadFile(root / "once3.out").find("b.txt," + other + "/b.txt,"), 19u) << ReadFile(root / "once3.out");
}

TEST_F(HeadlessEndToEndTest, ABackupSideThatRefusesCopiesIsToldOnStandardError) {
  std::ofstream(watch + "/a.txt") << "a";
  {  // a folder nothing can be made in is no full disk: its refusal is no outage
    test::HeldEntry held(backup);
    if (!held.held()) GTEST_SKIP() << "the immutable flag cannot be set here";
    EXPECT_EQ(RunToEnd({"--headless", "--once"}, "closed"), 0);
    EXPECT_EQ(ReadFile(root / "closed.err"), "");
    EXPECT_NE(ReadFile(root / "closed.out").find("a.txt," + watch + "/a.txt,\n"), std::string::npos)
        << "no copy path for a copy that was not made";
  }
  // A full disk: in the child's own view of the mounts, a small file system filled up.
  beforeExec = [this] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", backup.c_str(), "tmpfs", 0, "size=64k") != 0)
      ::_exit(77);
    const int fd = ::open((backup + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'f');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {
    }
  };
  const int status = RunToEnd({"--headless", "--once"}, "refused");
  if (status == 77) GTEST_SKIP() << "no file system of its own can be mounted here";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile(root / "refused.err"), "talvenor: " + msg::Format(msg::kCopiesWaiting, {backup}) + "\n");
  EXPECT_NE(ReadFile(root / "refused.out").find("a.txt," + watch + "/a.txt,\n"), std::string::npos)
      << "no copy path for a copy that was not made";
}

TEST_F(HeadlessEndToEndTest, AChangeLogThatCannotBeOpenedEndsWithStatusOne) {
  std::ofstream(watch + "/a.txt") << "a";
  fs::create_directory(home + "/log.csv");  // neither openable nor creatable as a file
  EXPECT_EQ(RunToEnd({"--headless", "--once"}, "nolog"), 1);
  EXPECT_TRUE(fs::is_empty(backup));  // nothing was copied
  EXPECT_FALSE(fs::exists(home + "/test2.dat"));
}

// The windowed program reads its command line before Qt starts too: no display is needed.
TEST_F(HeadlessEndToEndTest, AUsageErrorEndsWithStatusTwoInEitherMode) {
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("QT_QPA_PLATFORM");
  const std::vector<std::string> lines[] = {
      {"--headless", "--watch"},    {"--bogus"}, {"--headles"}, {"/S", "x"}, {"--versions"},
      {"--versions", "a", "--once"}};
  for (const std::vector<std::string>& args : lines) {
    EXPECT_EQ(RunToEnd(args, "usage"), 2) << args.front();
    EXPECT_NE(ReadFile(root / "usage.err").find("\nUsage:"), std::string::npos) << args.front();
  }
}

// As a service runs it: a state folder made private, a "/" from tab completion, a line that
// says monitoring has begun, and SIGHUP as a clean end.
TEST_F(HeadlessEndToEndTest, KeepsItsFilesInTheStateFolderAndEndsOnSighup) {
  const std::string state = root / "state/talvenor";
  const pid_t pid = Spawn({"--headless", "--watch", watch + "/", "--state-dir", state}, "service");
  const std::string started = "talvenor: monitoring " + watch + ", copies to " + backup + ", every 1 s";
  ASSERT_TRUE(WaitUntil([&] { return ReadFile(root / "service.err").rfind(started, 0) == 0; }))
      << ReadFile(root / "service.err");
  ASSERT_TRUE(SaveUntilCopied("report.txt"));
  ASSERT_EQ(::kill(pid, SIGHUP), 0);
  EXPECT_EQ(WaitFor(pid), 0);
  EXPECT_NE(ReadFile(state + "/log.csv").find("report.txt,"), std::string::npos);
  EXPECT_TRUE(fs::exists(state + "/test2.dat"));
  EXPECT_FALSE(fs::exists(home + "/log.csv"));
  for (const std::string& made : {root / "state", state})
    EXPECT_EQ(fs::status(made).permissions(), fs::perms::owner_all) << made;
}

// Every copy of a file can be found when the log has let go of its lines and the file is gone,
// while the monitor goes on; each copy listed holds its own version.
TEST_F(HeadlessEndToEndTest, VersionsListsEveryCopyOfAFileTheLogHasForgotten) {
  root.Write("config/QUORVATH/Q7/talvenor.ini",
             "[Settings]\nDIR1=" + watch + "\nDIR2=" + backup + "\nLEVEL=1\nFIRST=0\nLOGSZ=100\nBAKSZ=100\n");
  const pid_t pid = Spawn({"--headless"}, "run");
  ASSERT_TRUE(SaveUntilCopied("notes.txt")) << ReadFile(root / "run.err");
  const std::string first = ReadFile(CopiesOf("notes.txt")[0].string());
  for (const std::string contents : {"second version", "third and last version"}) {
    const std::size_t before = CopiesOf("notes.txt").size();
    std::ofstream(watch + "/notes.txt") << contents;
    ASSERT_TRUE(WaitUntil([&] { return CopiesOf("notes.txt").size() == before + 1; }));
  }
  // Enough other changes to push the file's lines out of a 100 KB log.
  const std::string padding(150, 'p');
  for (int i = 0; i < 400; ++i) std::ofstream(watch + "/" + std::to_string(i) + padding) << i;
  ASSERT_TRUE(WaitUntil([&] { return !CopiesOf("399" + padding).empty(); }));
  fs::remove(watch + "/notes.txt");
  // The pass's trim is written at its end.
  ASSERT_TRUE(WaitUntil([&] {
    const std::string log = ReadFile(home + "/log.csv");
    return log.find("399" + padding) != std::string::npos && log.find("notes.txt,") == std::string::npos;
  })) << ReadFile(home + "/log.csv").substr(0, 300);

  // Beside the running monitor, with a path relative to the current directory.
  ASSERT_EQ(RunToEnd({"--versions", "../watch/notes.txt"}, "versions"), 0) << ReadFile(root / "versions.err");
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitFor(pid), 0);
  std::istringstream out(ReadFile(root / "versions.out"));
  std::vector<std::string> contents;
  std::string previousTime = "9999";
  for (std::string line; std::getline(out, line);) {
    const auto tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    ASSERT_NE(tab2, std::string::npos) << line;
    const std::string time = line.substr(0, tab1), path = line.substr(tab2 + 1);
    EXPECT_EQ(time.size(), 19u) << line;
    EXPECT_LE(time, previousTime);
    previousTime = time;
    contents.push_back(ReadFile(path));
    EXPECT_EQ(line.substr(tab1 + 1, tab2 - tab1 - 1), std::to_string(contents.back().size()));
  }
  EXPECT_EQ(contents, (std::vector<std::string>{"third and last version", "second version", first}));

  EXPECT_EQ(RunToEnd({"--versions", watch + "/never.txt", "--backup", backup}, "none"), 1);
  EXPECT_EQ(ReadFile(root / "none.err"), "talvenor: " + watch + "/never.txt のコピーはありません\n");
}

}  // namespace
}  // namespace talvenor
