// One folder of a batch: a missing folder and a file in its place fail
// without creating anything; a run's diagnostics come back unprefixed and
// are prefixed line by line.
#include "driver/batch_folder_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kestral {
namespace {

namespace fs = std::filesystem;

TEST(BatchFolderRun, FolderThatCannotBeRunTouchesNothing) {
  const fs::path root = fs::temp_directory_path() / ("kestral-folder-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  std::ofstream(root / "a-file") << "";
  const BatchOptions options;
  const FolderOutcome missing = run_folder((root / "missing").string(), options);
  EXPECT_TRUE(missing.failed);
  EXPECT_EQ(missing.diagnostics, "no such folder\n");
  EXPECT_FALSE(fs::exists(root / "missing"));
  const FolderOutcome file = run_folder((root / "a-file").string(), options);
  EXPECT_TRUE(file.failed);
  EXPECT_EQ(file.diagnostics, "not a folder\n");

  // An empty folder: the run's own diagnostic, and the empty report it
  // creates as kestral does.
  fs::create_directories(root / "empty");
  const FolderOutcome empty = run_folder((root / "empty").string(), options);
  EXPECT_TRUE(empty.failed);
  EXPECT_EQ(empty.rows, 0);
  EXPECT_EQ(empty.csv_rows, "");
  EXPECT_EQ(empty.diagnostics, "end-of-file during read, unit 27, file gauss.qua\n");
  fs::remove_all(root);
}

TEST(BatchFolderRun, PrefixesEveryLine) {
  EXPECT_EQ(prefixed_lines("d", "one\ntwo\n"), "d: one\nd: two\n");
  EXPECT_EQ(prefixed_lines("d", "no line end"), "d: no line end\n");
  EXPECT_EQ(prefixed_lines("d", ""), "");
}

}  // namespace
}  // namespace kestral
