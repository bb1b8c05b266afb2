#include "analyse/replace_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "tests/support/program_run.h"

namespace kestral::analyse {
namespace {

using kestral::testing::read_text;
using kestral::testing::ScratchFolder;
using kestral::testing::write_text;

std::size_t files_in(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(ReplaceFile, CommitReplacesTheTargetWhole) {
  ScratchFolder folder;
  const auto target = folder.path() / "table.csv";
  write_text(target, "old\n");
  ReplacementFile file(target);
  EXPECT_EQ(file.temporary_path().parent_path(), folder.path());
  file.stream() << "new\n";
  EXPECT_EQ(read_text(target), "old\n");
  EXPECT_EQ(files_in(folder.path()), 2u);
  file.commit();
  EXPECT_EQ(read_text(target), "new\n");
  EXPECT_EQ(files_in(folder.path()), 1u);
}

TEST(ReplaceFile, AbandonedFileLeavesTheOldOneAndNoTemporary) {
  ScratchFolder folder;
  const auto target = folder.path() / "table.csv";
  write_text(target, "old\n");
  {
    ReplacementFile file(target);
    file.stream() << "half a ta";
  }
  EXPECT_EQ(read_text(target), "old\n");
  EXPECT_EQ(files_in(folder.path()), 1u);
}

TEST(ReplaceFile, TargetThatCannotBeWrittenIsRefusedAtOnce) {
  ScratchFolder folder;
  const auto missing = folder.path() / "no" / "table.csv";
  try {
    ReplacementFile file(missing);
    ADD_FAILURE();
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), missing.string() + ": cannot write: No such file or directory");
  }
  try {
    ReplacementFile file(folder.path());
    ADD_FAILURE();
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), folder.path().string() + ": cannot write: Is a directory");
  }
}

// A child process opens a replacement, writes half a table, reports the
// temporary file's name and waits; the signal must remove the temporary
// file, leave the old file and end the child with that signal.
TEST(ReplaceFile, SignalRemovesTheTemporaryAndEndsWithTheSignal) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    ScratchFolder folder;
    const auto target = folder.path() / "table.csv";
    write_text(target, "old\n");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(ready[0]);
      ReplacementFile file(target);
      file.stream() << "half a ta" << std::flush;
      const std::string name = file.temporary_path().string() + "\n";
      if (::write(ready[1], name.data(), name.size()) < 0) ::_exit(3);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    std::string name;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n') name += c;
    ::close(ready[0]);
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(std::filesystem::exists(name));
    ASSERT_EQ(::kill(child, signal_number), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal_number;
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_FALSE(std::filesystem::exists(name)) << signal_number;
    EXPECT_EQ(read_text(target), "old\n");
    EXPECT_EQ(files_in(folder.path()), 1u);
  }
}

TEST(ReplaceFile, HandlersAreRestoredAfterCommit) {
  ScratchFolder folder;
  {
    ReplacementFile file(folder.path() / "t");
    file.commit();
  }
  struct sigaction now {};
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace kestral::analyse
