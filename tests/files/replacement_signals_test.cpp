// Every catchable terminating signal removes a replacement's temporary file
// and ends the process with that signal; the old file stays. Real signals,
// sent to a child process that holds a replacement open.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "files/file_replacement.h"
#include "files/temporary_files.h"
#include "tests/support/child_process.h"
#include "tests/support/program_run.h"

namespace kestral::files {
namespace {

using kestral::testing::read_text;
using kestral::testing::ScratchFolder;
using kestral::testing::temporary_files_in;
using kestral::testing::write_text;

// A child opens a replacement, writes half a table, says so and waits.
pid_t child_holding_replacement(const std::filesystem::path& target) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    remove_temporary_files_on_signals();
    FileReplacement file;
    if (!file.open(target)) ::_exit(3);
    file.stream() << "half a ta" << std::flush;
    if (::write(ready[1], "x", 1) != 1) ::_exit(3);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char c = 0;
  const bool said = ::read(ready[0], &c, 1) == 1;
  ::close(ready[0]);
  return said ? child : -1;
}

TEST(ReplacementSignals, EverySignalRemovesTheTemporaryAndEndsWithTheSignal) {
  for (const int signal_number : cleaned_signals()) {
    ScratchFolder folder;
    const auto target = folder.path() / "table.csv";
    write_text(target, "old\n");
    const pid_t child = child_holding_replacement(target);
    ASSERT_GT(child, 0) << signal_number;
    ASSERT_EQ(temporary_files_in(folder.path()).size(), 1u) << signal_number;
    ASSERT_EQ(::kill(child, signal_number), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal_number;
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_EQ(temporary_files_in(folder.path()).size(), 0u) << strsignal(signal_number);
    EXPECT_EQ(read_text(target), "old\n");
  }
}

TEST(ReplacementSignals, HandlersAreInstalledOnlyOverTheDefaultAction) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGUSR1, SIG_IGN);
    remove_temporary_files_on_signals();
    struct sigaction now {};
    ::sigaction(SIGUSR1, nullptr, &now);
    if (now.sa_handler != SIG_IGN) ::_exit(1);
    ::sigaction(SIGUSR2, nullptr, &now);
    ::_exit(now.sa_handler == SIG_DFL ? 2 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kestral::files
