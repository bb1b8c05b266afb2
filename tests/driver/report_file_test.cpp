// The report file's life: created when missing, untouched until its first
// record, then replaced whole.
#include "driver/report_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "tests/support/scratch_folder.h"
#include "tests/support/text_file.h"

namespace kestral {
namespace {

using TempFolder = testing::ScratchFolder;
using testing::read_text;
using testing::write_text;

TEST(ReportFileLife, CreatedEmptyWhenMissing) {
  const TempFolder folder("report-missing");
  { ReportFile report(folder / "KESTRAL.out"); }
  ASSERT_TRUE(std::filesystem::exists(folder / "KESTRAL.out"));
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), "");
}

TEST(ReportFileLife, UntouchedUntilTheFirstRecordThenReplacedWhole) {
  const TempFolder folder("report-existing");
  const std::string previous =
      "an earlier report\nwith several lines\nthat is longer than the new one\n";
  write_text(folder / "KESTRAL.out", previous);
  { ReportFile report(folder / "KESTRAL.out"); }
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), previous);
  {
    // Records go to a temporary file until the run ends: a reader (or a run
    // that is interrupted) still sees the old report.
    ReportFile report(folder / "KESTRAL.out");
    report.write("first");
    report.write("second");
    report.flush();
    EXPECT_EQ(read_text(folder / "KESTRAL.out"), previous);
    report.finish();
    EXPECT_EQ(read_text(folder / "KESTRAL.out"), "first\nsecond\n");
  }
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), "first\nsecond\n");
  {
    // Never finished (a run that ends another way): the report stays.
    ReportFile report(folder / "KESTRAL.out");
    report.write("third");
  }
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), "first\nsecond\n");
  {
    // Stopped by a diagnostic after its first records: they replace it.
    ReportFile report(folder / "KESTRAL.out");
    report.write("echo only");
    EXPECT_TRUE(report.keep_after_stop());
  }
  EXPECT_EQ(read_text(folder / "KESTRAL.out"), "echo only\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left beside it
}

}  // namespace
}  // namespace kestral
