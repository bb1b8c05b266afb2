#include "analyse/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(Progress, NothingWithoutATerminal) {
  ProgressLine line(nullptr, 10000);
  line.update(1);
  line.finish();
  // The tests run with standard error on a pipe or file, or the point count
  // is too small.
  EXPECT_EQ(ProgressLine::terminal_for(kProgressMinPoints), nullptr);
}

}  // namespace
}  // namespace kestral::analyse
