// kestral takes no arguments: --help, -h and --version answer on standard
// output, anything else is a usage error with status 2, and none of them
// reads or writes a file in the working folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "driver/kestral_command_line.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kExample = fs::path(KESTRAL_SOURCE_DIR) / "examples" / "dual-wheel";

TEST(ProgramArguments, AnsweredWithoutTouchingAFile) {
  const std::string earlier = "an earlier report\n";
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string errors;
  } cases[] = {
      {{"--help"}, 0, kestral_usage(), ""},
      {{"-h"}, 0, kestral_usage(), ""},
      {{"--version"}, 0, "kestral " KESTRAL_PROJECT_VERSION "\n", ""},
      {{"-x"}, 2, "", "kestral: unknown argument '-x' (kestral takes no arguments; see kestral --help)\n"},
      {{"KESTRAL.in"}, 2, "",
       "kestral: unknown argument 'KESTRAL.in' (kestral takes no arguments; see kestral --help)\n"},
      {{"--help", "more"}, 2, "",
       "kestral: unexpected argument 'more' after --help (kestral takes no arguments; see kestral "
       "--help)\n"},
  };
  for (const bool with_inputs : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.arguments[0] + (with_inputs ? " with inputs" : " in an empty folder"));
      ScratchFolder folder;
      if (with_inputs) {
        for (const char* name : {"KESTRAL.in", "gauss.qua"}) fs::copy_file(kExample / name, folder.path() / name);
        write_text(folder.path() / "KESTRAL.out", earlier);
      }
      const ProgramRun run = run_program_in(folder.path(), KESTRAL_EXE, c.arguments);
      EXPECT_EQ(run.status, c.status);
      EXPECT_EQ(run.console, c.out);
      EXPECT_EQ(run.errors, c.errors);
      EXPECT_EQ(run.report_exists, with_inputs);
      if (with_inputs) {
        EXPECT_EQ(run.report, earlier);
      }
      const auto entries = std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator());
      EXPECT_EQ(entries, with_inputs ? 3 : 0);
    }
  }
}

TEST(ProgramArguments, UsageSaysWhatIsReadAndWrittenAndWhereTheManualIs) {
  const std::string usage = kestral_usage();
  for (const char* word : {"KESTRAL.in", "gauss.qua", "KESTRAL.out", "--help", "--version"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
  // Every page of the manual the usage names exists in the source.
  const std::regex page_name(R"(docs/[a-z-]+\.md)");
  int pages = 0;
  for (auto it = std::sregex_iterator(usage.begin(), usage.end(), page_name); it != std::sregex_iterator(); ++it) {
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(KESTRAL_SOURCE_DIR) / it->str())) << it->str();
    ++pages;
  }
  EXPECT_GE(pages, 2);
  EXPECT_EQ(parse_kestral_arguments({}), KestralAction::kRun);
}

}  // namespace
}  // namespace kestral::testing
