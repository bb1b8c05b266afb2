#include "analyse/progress_line.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace kestral::analyse {
namespace {

TEST(Progress, Text) {
  EXPECT_EQ(progress_text(0, 50000, 0.0), "kestral-analyse: 0 of 50000 points");
  EXPECT_EQ(progress_text(12000, 50000, 3.0), "kestral-analyse: 12000 of 50000 points, 4000 points/s, 0:00:10 left");
  EXPECT_EQ(progress_text(1, 10000000, 3600.0), "kestral-analyse: 1 of 10000000 points, 0 points/s, 999:00:00 left");
}

TEST(Progress, DrawsOnItsStreamAndErasesAtTheEnd) {
  std::ostringstream out;
  {
    ProgressLine line(&out, 10000);
    // A thousand updates in a few microseconds: the first is drawn, the
    // rest only every 200 ms, so a handful at most even on a loaded machine.
    for (std::size_t done = 1; done <= 1000; ++done) line.update(done);
  }
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("\rkestral-analyse: 1 of 10000 points", 0), 0u) << text;
  EXPECT_LT(std::count(text.begin(), text.end(), '\r'), 10);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
}

// Standard error (descriptor 2) on another open file for the life of the
// object, so that the test decides what it is whatever runs the test.
class StandardErrorOn {
 public:
  explicit StandardErrorOn(int descriptor) : saved_(::dup(STDERR_FILENO)) {
    std::cerr.flush();
    ::dup2(descriptor, STDERR_FILENO);
  }
  ~StandardErrorOn() {
    std::cerr.flush();
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  StandardErrorOn(const StandardErrorOn&) = delete;
  StandardErrorOn& operator=(const StandardErrorOn&) = delete;

 private:
  int saved_;
};

TEST(Progress, NothingWithoutATerminal) {
  ProgressLine line(nullptr, 10000);
  line.update(1);
  line.finish();
  // A problem large enough to show progress, standard error on a file: none.
  const int file = ::open("/dev/null", O_WRONLY);
  ASSERT_GE(file, 0);
  {
    StandardErrorOn redirected(file);
    EXPECT_EQ(ProgressLine::terminal_for(kProgressMinPoints + 1), nullptr);
    EXPECT_EQ(ProgressLine::terminal_for(1000000), nullptr);
  }
  ::close(file);
}

TEST(Progress, OnATerminalAboveTheThresholdOnly) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) GTEST_SKIP() << "no pseudo-terminal on this machine";
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  {
    StandardErrorOn redirected(terminal);
    EXPECT_EQ(ProgressLine::terminal_for(kProgressMinPoints + 1), &std::cerr);
    EXPECT_EQ(ProgressLine::terminal_for(kProgressMinPoints), nullptr);
  }
  ::close(terminal);
  ::close(master);
}

}  // namespace
}  // namespace kestral::analyse
