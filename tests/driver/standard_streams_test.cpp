// Closed standard descriptors are opened on /dev/null before anything else:
// in a forked child with 0, 1 and 2 closed, the next file opened gets a
// number above 2, standard output refuses writes (a console that cannot be
// written) and standard error swallows them.
#include "driver/standard_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace kestral {
namespace {

// The child's findings, one bit each, as its exit status.
enum Finding { kOpenedAll = 1, kFileAboveTwo = 2, kOutputRefuses = 4, kErrorsAccepts = 8 };

int findings_with_closed(bool close_input, bool close_output, bool close_errors) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (close_input) ::close(0);
    if (close_output) ::close(1);
    if (close_errors) ::close(2);
    int found = 0;
    if (open_closed_standard_streams()) found |= kOpenedAll;
    const int file = ::open("/dev/null", O_RDONLY);
    if (file > 2) found |= kFileAboveTwo;
    if (close_output && ::write(1, "x", 1) < 0 && errno == EBADF) found |= kOutputRefuses;
    if (::write(2, "", 0) == 0) found |= kErrorsAccepts;
    ::_exit(found);
  }
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(StandardStreams, ClosedDescriptorsAreTakenBeforeAnyFile) {
  EXPECT_EQ(findings_with_closed(true, true, true),
            kOpenedAll | kFileAboveTwo | kOutputRefuses | kErrorsAccepts);
  EXPECT_EQ(findings_with_closed(false, true, false),
            kOpenedAll | kFileAboveTwo | kOutputRefuses | kErrorsAccepts);
  EXPECT_EQ(findings_with_closed(false, false, true), kOpenedAll | kFileAboveTwo | kErrorsAccepts);
  // Nothing closed: nothing changes.
  EXPECT_EQ(findings_with_closed(false, false, false), kOpenedAll | kFileAboveTwo | kErrorsAccepts);
}

}  // namespace
}  // namespace kestral
