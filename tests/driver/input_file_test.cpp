// Reading an input file: a missing file reads as empty, a regular file as
// its bytes (up to the limit exactly), and everything else is refused with
// its one-line message without blocking.
#include "driver/input_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "driver/free_format_reader.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

std::string refusal(const fs::path& path) {
  try {
    read_input_file(path, "KESTRAL.in", 1);
  } catch (const InputError& error) {
    return error.what();
  }
  return "";
}

TEST(InputFile, ReadsRegularFilesWhole) {
  ScratchFolder folder;
  EXPECT_EQ(read_input_file(folder.path() / "missing", "KESTRAL.in", 1), "");
  EXPECT_FALSE(fs::exists(folder.path() / "missing"));  // not created
  const std::string bytes = std::string("2\r\n3000 300\n") + '\0' + "\xff tail";
  write_text(folder.path() / "in", bytes);
  EXPECT_EQ(read_input_file(folder.path() / "in", "KESTRAL.in", 1), bytes);
  fs::create_symlink(folder.path() / "in", folder.path() / "link");
  EXPECT_EQ(read_input_file(folder.path() / "link", "KESTRAL.in", 1), bytes);
  // The limit itself is accepted, one byte more is not.
  write_text(folder.path() / "big", std::string(kMaxInputFileBytes, ' '));
  EXPECT_EQ(read_input_file(folder.path() / "big", "KESTRAL.in", 1).size(), kMaxInputFileBytes);
  write_text(folder.path() / "big", std::string(kMaxInputFileBytes + 1, ' '));
  EXPECT_EQ(refusal(folder.path() / "big"), "cannot read file KESTRAL.in, unit 1: larger than 4 MiB");
}

TEST(InputFile, RefusesWhatIsNotARegularFile) {
  ScratchFolder folder;
  fs::create_directory(folder.path() / "dir");
  EXPECT_EQ(refusal(folder.path() / "dir"), "cannot read file KESTRAL.in, unit 1");
  ASSERT_EQ(::mkfifo((folder.path() / "fifo").c_str(), 0644), 0);
  EXPECT_EQ(refusal(folder.path() / "fifo"), "cannot read file KESTRAL.in, unit 1: not a regular file");
  for (const char* device : {"/dev/null", "/dev/zero", "/dev/urandom"}) {
    EXPECT_EQ(refusal(device), "cannot read file KESTRAL.in, unit 1: not a regular file") << device;
  }
  // Unreadable: root reads anything, so only checked for other users.
  write_text(folder.path() / "locked", "2\n");
  fs::permissions(folder.path() / "locked", fs::perms::none);
  if (::geteuid() != 0) {
    EXPECT_EQ(refusal(folder.path() / "locked"), "cannot read file KESTRAL.in, unit 1");
  }
}

}  // namespace
}  // namespace kestral::testing
