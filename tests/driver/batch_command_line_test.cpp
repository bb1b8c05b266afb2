// The command line of kestral-batch, parsed with CLI11: every option, its
// attached and detached spellings, "--", the default thread count, and every
// usage error word for word.
#include "driver/batch_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kestral {
namespace {

TEST(BatchCommandLine, ParsesOptionsAndFolders) {
  const auto parse = [](std::vector<std::string> arguments, unsigned threads = 2) {
    return parse_batch_arguments(arguments, threads);
  };
  using Action = BatchArguments::Action;
  BatchArguments parsed = parse({"a", "--csv", "t.csv", "-j3", "--gauss=g.qua", "b"});
  EXPECT_EQ(parsed.action, Action::kRun);
  EXPECT_EQ(parsed.options.folders, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(parsed.options.csv_to_file);
  EXPECT_EQ(parsed.options.csv, "t.csv");
  EXPECT_TRUE(parsed.options.shared_gauss);
  EXPECT_EQ(parsed.options.gauss, "g.qua");
  EXPECT_EQ(parsed.options.jobs, 3);
  EXPECT_EQ(parse({"-j", "256", "a"}).options.jobs, 256);
  // Default: the hardware threads, at least 1 when the count is unknown.
  EXPECT_EQ(parse({"a"}, 2).options.jobs, 2);
  EXPECT_EQ(parse({"a"}, 0).options.jobs, 1);
  EXPECT_FALSE(parse({"a"}).options.csv_to_file);
  EXPECT_EQ(parse({"--", "-j", "-"}).options.folders, (std::vector<std::string>{"-j", "-"}));
  EXPECT_EQ(parse({"a", "--help"}).action, Action::kHelp);

  const std::pair<std::vector<std::string>, std::string> errors[] = {
      {{}, "no folder given"},
      {{"-j", "2"}, "no folder given"},
      {{"-x", "a"}, "unknown option -x"},
      {{"--jobs=2", "a"}, "unknown option --jobs=2"},
      {{"a", "-j"}, "-j needs a number"},
      {{"-j", "0", "a"}, "-j takes a whole number from 1 to 256, not '0'"},
      {{"-j", "-1", "a"}, "-j takes a whole number from 1 to 256, not '-1'"},
      {{"-j257", "a"}, "-j takes a whole number from 1 to 256, not '257'"},
      {{"-j", "2x", "a"}, "-j takes a whole number from 1 to 256, not '2x'"},
      {{"-j", "99999999999", "a"}, "-j takes a whole number from 1 to 256, not '99999999999'"},
      {{"a", "--csv"}, "--csv needs a file name"},
      {{"--gauss=", "a"}, "--gauss needs a file name"},
  };
  for (const auto& [arguments, message] : errors) {
    const BatchArguments wrong = parse(arguments);
    EXPECT_EQ(wrong.action, Action::kUsageError) << message;
    EXPECT_EQ(wrong.error, message);
  }
}


TEST(BatchCommandLine, RepeatedOptionsTakeTheLast) {
  const BatchArguments parsed =
      parse_batch_arguments({"-j", "2", "--csv", "a.csv", "-j5", "--csv=b.csv", "d"}, 2);
  EXPECT_EQ(parsed.action, BatchArguments::Action::kRun);
  EXPECT_EQ(parsed.options.jobs, 5);
  EXPECT_EQ(parsed.options.csv, "b.csv");
  // A folder named "-" is a folder.
  EXPECT_EQ(parse_batch_arguments({"-", "a"}, 1).options.folders,
            (std::vector<std::string>{"-", "a"}));
  EXPECT_EQ(parse_batch_arguments({"--csv=", "a"}, 1).error, "--csv needs a file name");
  EXPECT_EQ(parse_batch_arguments({"--csv", "", "a"}, 1).error, "--csv needs a file name");
  EXPECT_EQ(parse_batch_arguments({"a", "--gauss"}, 1).error, "--gauss needs a file name");
}

TEST(BatchCommandLine, UsageNamesEveryOption) {
  const std::string usage = batch_usage();
  for (const char* option : {"--gauss FILE", "--csv FILE", "-j N", "DIR..."}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(usage.back(), '\n');
}

}  // namespace
}  // namespace kestral
