// A file replaced whole: untouched until commit, replaced with its mode kept,
// through a symbolic link onto the link's target, directly for a device, and
// never leaving a temporary file behind.
#include "files/file_replacement.h"

#include <gtest/gtest.h>

#include <limits.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/temporary_files.h"
#include "tests/support/program_run.h"

namespace kestral::files {
namespace {

using testing::read_text;
using testing::ScratchFolder;
using testing::write_text;

namespace fs = std::filesystem;

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileReplacement, TargetChangesOnlyAtCommit) {
  ScratchFolder folder;
  const fs::path target = folder.path() / "table.csv";
  write_text(target, "old\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  {
    FileReplacement replacement;
    ASSERT_TRUE(replacement.open(target));
    replacement.stream() << "new\n";
    replacement.stream().flush();
    EXPECT_EQ(read_text(target), "old\n");
    EXPECT_EQ(names_in(folder.path()).size(), 2u);  // the target and its temporary file
    EXPECT_TRUE(replacement.commit());
  }
  EXPECT_EQ(read_text(target), "new\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  {
    FileReplacement dropped;
    ASSERT_TRUE(dropped.open(target));
    dropped.stream() << "never\n";
  }
  EXPECT_EQ(read_text(target), "new\n");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{"table.csv"});

  // A target that does not exist yet is created by the commit alone.
  FileReplacement fresh;
  ASSERT_TRUE(fresh.open(folder.path() / "fresh.csv"));
  EXPECT_FALSE(fs::exists(folder.path() / "fresh.csv"));
  fresh.stream() << "x\n";
  EXPECT_TRUE(fresh.commit());
  EXPECT_EQ(read_text(folder.path() / "fresh.csv"), "x\n");
}

TEST(FileReplacement, LinkKeepsItsPlaceAndItsTargetIsReplaced) {
  ScratchFolder folder;
  fs::create_directory(folder.path() / "elsewhere");
  write_text(folder.path() / "elsewhere" / "run.out", "old\n");
  fs::create_symlink(folder.path() / "elsewhere" / "run.out", folder.path() / "KESTRAL.out");
  FileReplacement replacement;
  ASSERT_TRUE(replacement.open(folder.path() / "KESTRAL.out"));
  replacement.stream() << "new\n";
  ASSERT_TRUE(replacement.commit());
  EXPECT_TRUE(fs::is_symlink(folder.path() / "KESTRAL.out"));
  EXPECT_EQ(read_text(folder.path() / "elsewhere" / "run.out"), "new\n");
  EXPECT_EQ(names_in(folder.path() / "elsewhere"), std::vector<std::string>{"run.out"});
}

TEST(FileReplacement, DevicesAreWrittenDirectly) {
  // /dev/stdout leads, through /proc, to whatever standard output is.
  FileReplacement out;
  ASSERT_TRUE(out.open("/dev/stdout"));
  EXPECT_TRUE(out.commit());
  FileReplacement null;
  ASSERT_TRUE(null.open("/dev/null"));
  null.stream() << "dropped\n";
  EXPECT_TRUE(null.commit());
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  if (fs::exists("/dev/full")) {
    FileReplacement full;
    ASSERT_TRUE(full.open("/dev/full"));
    full.stream() << std::string(100000, 'x');
    EXPECT_FALSE(full.commit());
  }
}

TEST(FileReplacement, FolderThatCannotBeWrittenFails) {
  FileReplacement nowhere;
  EXPECT_FALSE(nowhere.open("/nonexistent-folder/table.csv"));
  EXPECT_FALSE(nowhere.commit());
}

// The messages of the one-call writer, and nothing left behind by a target
// that is refused.
TEST(FileReplacement, RefusedTargetsSayWhyAndLeaveNothing) {
  ScratchFolder folder;
  const auto refusal = [](const fs::path& target) -> std::string {
    try {
      write_whole_file(target, "x\n");
    } catch (const FileWriteError& error) {
      return error.what();
    }
    return "";
  };
  const fs::path missing = folder.path() / "no" / "table.csv";
  EXPECT_EQ(refusal(missing), missing.string() + ": cannot write: No such file or directory");
  EXPECT_EQ(refusal(folder.path()), folder.path().string() + ": cannot write: Is a directory");
  EXPECT_EQ(refusal("/dev/full"), "/dev/full: cannot write: No space left on device");
  EXPECT_EQ(names_in(folder.path()), std::vector<std::string>{});
}

// The longest valid name still gets its temporary file beside it; hard links
// keep the old content under their other names; private files stay private.
TEST(FileReplacement, LongNamesHardLinksAndModes) {
  ScratchFolder folder;
  const fs::path longest = folder.path() / std::string(NAME_MAX, 'n');
  write_whole_file(longest, "a\n");
  EXPECT_EQ(read_text(longest), "a\n");
  const fs::path target = folder.path() / "t.csv";
  write_text(target, "old\n");
  fs::create_hard_link(target, folder.path() / "other");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  write_whole_file(target, "new\n");
  EXPECT_EQ(read_text(target), "new\n");
  EXPECT_EQ(read_text(folder.path() / "other"), "old\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(TemporaryFiles, CreatedHiddenBesideAndForgotten) {
  ScratchFolder folder;
  const fs::path temporary = create_temporary_file(folder.path(), "KESTRAL.out");
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(temporary.parent_path(), fs::absolute(folder.path()));
  EXPECT_EQ(temporary.filename().string().rfind(".KESTRAL.out.", 0), 0u);
  EXPECT_TRUE(fs::is_regular_file(temporary));
  forget_temporary_file(temporary);
  fs::remove(temporary);
  EXPECT_TRUE(create_temporary_file(folder.path() / "missing", "x").empty());
}

}  // namespace
}  // namespace kestral::files
