// A --csv file that is a file of the batch is refused, by identity (a link,
// another spelling) and by path (a report not yet written); a table beside
// the inputs under another name is not.
#include "driver/batch_table_target.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestral {
namespace {

namespace fs = std::filesystem;

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("kestral-table-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder : {"d1", "d2"}) {
      fs::create_directories(root_ / folder);
      std::ofstream(root_ / folder / "KESTRAL.in") << "2\n";
      std::ofstream(root_ / folder / "gauss.qua") << "2\n";
    }
    std::ofstream(root_ / "d1" / "KESTRAL.out") << "report\n";
    std::ofstream(root_ / "s.qua") << "2\n";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string at(const std::string& name) const { return (root_ / name).string(); }

  BatchOptions options(const std::string& csv) const {
    BatchOptions o;
    o.folders = {at("d1"), at("d2")};
    o.csv_to_file = true;
    o.csv = csv;
    return o;
  }

  fs::path root_;
};

TEST_F(Folders, TableOnAFileOfTheBatchIsRefused) {
  const struct {
    std::string csv;
    bool shared_gauss;
    std::string reason;
  } cases[] = {
      {at("d1/KESTRAL.out"), false, "the report of folder " + at("d1")},
      // Not written yet: the same path.
      {at("d2/KESTRAL.out"), false, "the report of folder " + at("d2")},
      {at("d2/./KESTRAL.in"), false, "the problem file of folder " + at("d2")},
      {at("d1/gauss.qua"), false, "the quadrature file of folder " + at("d1")},
      {at("s.qua"), true, "the shared quadrature file"},
      {at("d1/../s.qua"), true, "the shared quadrature file"},
  };
  for (const auto& c : cases) {
    BatchOptions o = options(c.csv);
    o.shared_gauss = c.shared_gauss;
    if (c.shared_gauss) o.gauss = at("s.qua");
    EXPECT_EQ(table_collision(o), "the table " + c.csv + " is " + c.reason);
  }
}

TEST_F(Folders, LinkToAFileOfTheBatchIsRefused) {
  fs::create_symlink(root_ / "d1" / "KESTRAL.in", root_ / "link.csv");
  EXPECT_EQ(table_collision(options(at("link.csv"))),
            "the table " + at("link.csv") + " is the problem file of folder " + at("d1"));
  fs::create_hard_link(root_ / "d2" / "gauss.qua", root_ / "hard.csv");
  EXPECT_EQ(table_collision(options(at("hard.csv"))),
            "the table " + at("hard.csv") + " is the quadrature file of folder " + at("d2"));
}

TEST_F(Folders, OtherTablesAreAccepted) {
  EXPECT_EQ(table_collision(options(at("table.csv"))), "");
  EXPECT_EQ(table_collision(options(at("d1/table.csv"))), "");
  // With a shared rule, a folder's own gauss.qua is not read.
  BatchOptions o = options(at("d1/gauss.qua"));
  o.shared_gauss = true;
  o.gauss = at("s.qua");
  EXPECT_EQ(table_collision(o), "");
  BatchOptions to_standard_output = options("");
  to_standard_output.csv_to_file = false;
  EXPECT_EQ(table_collision(to_standard_output), "");
}

}  // namespace
}  // namespace kestral
