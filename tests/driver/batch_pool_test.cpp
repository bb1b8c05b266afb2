// The worker pool: outcomes come back in argument order whatever the thread
// count, a folder named twice runs once, and on a terminal the progress line
// is drawn in place and erased at the end.
#include "driver/batch_pool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

// The folder field of every table line after the header.
std::vector<std::string> folders_of(const std::string& table) {
  std::vector<std::string> folders;
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) folders.push_back(line.substr(0, line.find(',')));
  return folders;
}

TEST(BatchPool, ArgumentOrderWhateverTheThreads) {
  ScratchFolder scratch;
  BatchOptions options;
  // A slower problem first, so that later folders finish before it.
  const char* const problems[] = {"three-layer-all-places", "half-space-deep", "thick-subgrade-stiff-bottom",
                                  "half-space-deep"};
  for (int i = 0; i < 4; ++i) {
    copy_recorded_problem(problems[i], scratch.path() / std::to_string(i));
    options.folders.push_back((scratch.path() / std::to_string(i)).string());
  }
  options.folders.push_back(options.folders[1]);  // named twice
  std::vector<std::string> tables;
  for (const int jobs : {1, 3}) {
    options.jobs = jobs;
    std::ostringstream csv;
    std::ostringstream errors;
    const BatchSummary summary = run_batch(options, csv, errors, nullptr);
    EXPECT_EQ(summary.folders, 4);  // the folder named twice once
    EXPECT_EQ(summary.failed, 0);
    EXPECT_EQ(errors.str(), "");
    tables.push_back(csv.str());
  }
  EXPECT_EQ(tables[0], tables[1]);
  const std::vector<std::string> folders = folders_of(tables[0]);
  ASSERT_FALSE(folders.empty());
  std::vector<std::string> order;
  for (const std::string& folder : folders) {
    if (order.empty() || order.back() != folder) order.push_back(folder);
  }
  EXPECT_EQ(order, options.folders);
}

TEST(BatchPool, ProgressDrawnInPlaceAndErased) {
  ScratchFolder scratch;
  copy_recorded_problem("half-space-deep", scratch.path() / "a");
  copy_recorded_problem("half-space-deep", scratch.path() / "b");
  BatchOptions options;
  options.folders = {(scratch.path() / "a").string(), (scratch.path() / "b").string()};
  options.jobs = 2;
  std::ostringstream csv;
  std::ostringstream terminal;
  const BatchSummary summary = run_batch(options, csv, terminal, &terminal);
  EXPECT_EQ(summary.rows, 6);
  const std::string drawn = terminal.str();
  EXPECT_NE(drawn.find("\r2/2 [########################] "), std::string::npos) << drawn;
  EXPECT_EQ(drawn.substr(drawn.size() - 4), kEraseLine);
}

}  // namespace
}  // namespace kestral::testing
