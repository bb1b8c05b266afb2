// One table of targets against every program that writes a file
// (tests/support/file_writers.h): what the target is afterwards, that no
// temporary file is left, and the exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/file_writers.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const std::string kOld = "an earlier file\n";

// What a case leaves: the target's content, as the checks need it.
enum class Expect {
  kNew,          // the target holds the whole new content
  kNewElsewhere, // the link stays; the file it leads to holds the new content
  kFailed,       // non-zero status, the target unchanged
};

struct TargetCase {
  std::string what;
  // Makes the target `target` in `folder`; returns the file whose content is checked.
  std::function<fs::path(const fs::path& folder, const fs::path& target)> make;
  Expect expect;
  fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                   fs::perms::others_read;
};

const std::vector<TargetCase>& target_cases() {
  static const std::vector<TargetCase> cases = {
      {"new file", [](const fs::path&, const fs::path& t) { return t; }, Expect::kNew},
      {"existing file",
       [](const fs::path&, const fs::path& t) {
         write_text(t, kOld);
         return t;
       },
       Expect::kNew},
      {"0600 file",
       [](const fs::path&, const fs::path& t) {
         write_text(t, kOld);
         fs::permissions(t, fs::perms::owner_read | fs::perms::owner_write);
         return t;
       },
       Expect::kNew, fs::perms::owner_read | fs::perms::owner_write},
      {"symbolic link",
       [](const fs::path& folder, const fs::path& t) {
         fs::create_directory(folder / "elsewhere");
         write_text(folder / "elsewhere" / "real", kOld);
         fs::create_symlink("elsewhere/real", t);
         return folder / "elsewhere" / "real";
       },
       Expect::kNewElsewhere},
      {"hard link",
       [](const fs::path& folder, const fs::path& t) {
         write_text(t, kOld);
         fs::create_hard_link(t, folder / "other-name");
         return t;
       },
       Expect::kNew},
      {"read-only folder",
       [](const fs::path& folder, const fs::path& t) {
         write_text(t, kOld);
         fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         return t;
       },
       Expect::kNew},
      {"link to /dev/null", [](const fs::path&, const fs::path& t) {
         fs::create_symlink("/dev/null", t);
         return fs::path("/dev/null");
       }, Expect::kNewElsewhere},
      {"link to /dev/full", [](const fs::path&, const fs::path& t) {
         fs::create_symlink("/dev/full", t);
         return t;
       }, Expect::kFailed},
      {"folder", [](const fs::path&, const fs::path& t) {
         fs::create_directory(t);
         return t;
       }, Expect::kFailed},
  };
  return cases;
}

std::vector<std::string> arguments_of(const std::vector<std::string>& command) {
  return {command.begin() + 1, command.end()};
}

// The content of a plain run into a new file: what every case must write.
std::string reference_output(const FileWriter& writer) {
  ScratchFolder folder;
  const auto command = writer.prepare(folder.path(), false);
  const ProgramRun run = run_program_in(folder.path(), command[0], arguments_of(command));
  EXPECT_EQ(run.status, 0) << writer.name << ": " << run.errors;
  return read_text(folder.path() / writer.target);
}

TEST(WrittenTargets, EveryTargetThroughEveryWriter) {
  for (const FileWriter& writer : file_writers()) {
    const std::string expected = reference_output(writer);
    ASSERT_FALSE(expected.empty()) << writer.name;
    for (const TargetCase& target_case : target_cases()) {
      SCOPED_TRACE(writer.name + ", " + target_case.what);
      ScratchFolder folder;
      const auto command = writer.prepare(folder.path(), false);
      const fs::path target = folder.path() / writer.target;
      const fs::path checked = target_case.make(folder.path(), target);
      const ProgramRun run = run_program_in(folder.path(), command[0], arguments_of(command));
      fs::permissions(folder.path(), fs::perms::owner_all, fs::perm_options::add);
      EXPECT_EQ(temporary_files_in(folder.path()), std::vector<std::string>{});
      if (target_case.expect == Expect::kFailed) {
        EXPECT_NE(run.status, 0);
        continue;
      }
      EXPECT_EQ(run.status, 0) << run.errors;
      if (checked == "/dev/null") {
        EXPECT_TRUE(fs::is_symlink(target));
        continue;
      }
      EXPECT_TRUE(read_text(checked) == expected) << "the target is not the new content";
      EXPECT_EQ(fs::status(checked).permissions() & fs::perms::all, target_case.mode);
      if (target_case.expect == Expect::kNewElsewhere) {
        EXPECT_TRUE(fs::is_symlink(target));
      }
      if (fs::exists(folder.path() / "other-name")) {
        EXPECT_EQ(read_text(folder.path() / "other-name"), kOld);
      }
    }
  }
}

// A FIFO with a reader receives the whole content and stays a FIFO.
TEST(WrittenTargets, FifoWithAReaderIsWrittenInto) {
  for (const FileWriter& writer : file_writers()) {
    SCOPED_TRACE(writer.name);
    const std::string expected = reference_output(writer);
    ScratchFolder folder;
    const auto command = writer.prepare(folder.path(), false);
    const fs::path target = folder.path() / writer.target;
    ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
    // The reader is there before the program starts and stays until it ends.
    const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    auto run = std::async(std::launch::async, [&] {
      return run_program_in(folder.path(), command[0], arguments_of(command));
    });
    std::string received;
    char buffer[65536];
    for (bool ended = false;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got > 0) {
        received.append(buffer, static_cast<std::size_t>(got));
        continue;
      }
      if (ended) break;
      ended = run.wait_for(milliseconds(1)) == std::future_status::ready;
    }
    ::close(fd);
    EXPECT_EQ(run.get().status, 0);
    EXPECT_TRUE(received == expected);
    EXPECT_TRUE(fs::is_fifo(target));
  }
}

// A real signal while the program works leaves the old target and no
// temporary file; the program ends by the signal (the Python interpreter
// may also end by its own handling of it).
TEST(WrittenTargets, InterruptedRunLeavesTheOldTarget) {
  const int signals[] = {SIGINT, SIGTERM, SIGHUP, SIGXCPU, SIGUSR1};
  int next = 0;
  for (const FileWriter& writer : file_writers()) {
    const int signal_number = signals[next++ % 5];
    SCOPED_TRACE(writer.name + ", signal " + std::to_string(signal_number));
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "run";
    fs::create_directory(folder);
    const auto command = writer.prepare(folder, true);
    write_text(folder / writer.target, kOld);
    ChildOptions options;
    options.folder = folder;
    options.executable = command[0];
    options.arguments = arguments_of(command);
    options.console = scratch.path() / "console.txt";
    options.errors = scratch.path() / "errors.txt";
    const pid_t pid = start_child(options);
    ASSERT_GT(pid, 0);
    // Once a temporary file exists, or after a while for a writer that holds
    // none while it works.
    wait_until([&] { return !temporary_files_in(folder).empty(); }, milliseconds(3000));
    ::kill(pid, signal_number);
    const ChildEnd end = wait_child(pid, milliseconds(60000));
    if (end.exited && end.status == 0) {
      GTEST_SKIP() << "the run ended before the signal reached it";
    }
    EXPECT_FALSE(end.timed_out);
    EXPECT_EQ(read_text(folder / writer.target), kOld);
    EXPECT_EQ(temporary_files_in(folder), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace kestral::testing
