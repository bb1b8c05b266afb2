// kestral's command line: no argument runs; -h, --help and --version alone
// answer; anything else is a usage error whose message names the argument.
#include "driver/kestral_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestral {
namespace {

TEST(KestralCommandLine, EachArgumentAndItsAnswer) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(parse_kestral_arguments(Args{}), KestralAction::kRun);
  EXPECT_EQ(parse_kestral_arguments(Args{"-h"}), KestralAction::kHelp);
  EXPECT_EQ(parse_kestral_arguments(Args{"--help"}), KestralAction::kHelp);
  EXPECT_EQ(parse_kestral_arguments(Args{"--version"}), KestralAction::kVersion);
  for (const Args& wrong : {Args{""}, Args{"-"}, Args{"--"}, Args{"-help"}, Args{"--Help"},
                            Args{"--version", "--help"}, Args{"a", "b"}}) {
    EXPECT_EQ(parse_kestral_arguments(wrong), KestralAction::kUsageError) << wrong[0];
    std::string out;
    std::string errors;
    EXPECT_EQ(answer_kestral_arguments(wrong, out, errors), 2);
    EXPECT_EQ(out, "");
    EXPECT_EQ(errors.rfind("kestral: ", 0), 0u);
    EXPECT_EQ(errors.back(), '\n');
    EXPECT_EQ(errors.find('\n'), errors.size() - 1);  // one line
  }
  std::string out;
  std::string errors;
  EXPECT_EQ(answer_kestral_arguments(Args{}, out, errors), -1);
  EXPECT_EQ(answer_kestral_arguments(Args{"--version"}, out, errors), 0);
  EXPECT_EQ(out, kestral_version() + "\n");
  EXPECT_EQ(kestral_version().rfind("kestral ", 0), 0u);
}

}  // namespace
}  // namespace kestral
