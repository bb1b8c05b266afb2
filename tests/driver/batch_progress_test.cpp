// The progress line and the summary of kestral-batch, character by
// character, at their edges: nothing done yet, all done, hours left, the
// clamp at 999 hours, singular and plural.
#include "driver/batch_progress.h"

#include <gtest/gtest.h>

namespace kestral {
namespace {

TEST(BatchProgress, LineAndSummary) {
  EXPECT_EQ(batch_progress_line(0, 10, 0.0),
            "0/10 [........................] -- folders/s, --:-- left");
  EXPECT_EQ(batch_progress_line(5, 10, 2.0),
            "5/10 [############............] 2.5 folders/s, 0:02 left");
  EXPECT_EQ(batch_progress_line(200, 200, 4.0),
            "200/200 [########################] 50.0 folders/s, 0:00 left");
  EXPECT_EQ(batch_progress_line(1, 7201, 1.0),
            "1/7201 [........................] 1.0 folders/s, 2:00:00 left");
  EXPECT_EQ(summary_line({10, 1, 40, 0.214}),
            "kestral-batch: 10 folders run, 1 failed, 40 rows, 0.21 seconds");
  EXPECT_EQ(summary_line({1, 0, 1, 2.0}),
            "kestral-batch: 1 folder run, 0 failed, 1 row, 2.00 seconds");
}

TEST(BatchProgress, LineAtItsEdges) {
  EXPECT_EQ(batch_progress_line(0, 0, 1.0),
            "0/0 [########################] -- folders/s, --:-- left");
  EXPECT_EQ(batch_progress_line(1, 3, 1.0),
            "1/3 [########................] 1.0 folders/s, 0:02 left");
  // A rate so low that the time left passes 999 hours shows 999 hours.
  EXPECT_EQ(batch_progress_line(1, 100000000, 10.0),
            "1/100000000 [........................] 0.1 folders/s, 999:00:00 left");
}

TEST(BatchProgress, SummaryCountsInWords) {
  EXPECT_EQ(summary_line({0, 0, 0, 0.0}),
            "kestral-batch: 0 folders run, 0 failed, 0 rows, 0.00 seconds");
  EXPECT_EQ(summary_line({2, 2, 1, 12.345}),
            "kestral-batch: 2 folders run, 2 failed, 1 row, 12.35 seconds");
}

}  // namespace
}  // namespace kestral
