#include "analyse/program_main.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "multilayer/analysis.h"
#include "tests/support/scratch_folder.h"

namespace kestral::analyse {
namespace {

constexpr ProgramTerms kProgram{"kestral-test", "the test work", "the test table"};

// What a stream of the program received while the object lived.
class Captured {
 public:
  explicit Captured(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(text_.rdbuf())) {}
  ~Captured() { stream_.rdbuf(saved_); }
  Captured(const Captured&) = delete;
  Captured& operator=(const Captured&) = delete;
  std::string text() const { return text_.str(); }

 private:
  std::ostream& stream_;
  std::ostringstream text_;
  std::streambuf* saved_;
};

TEST(ProgramMain, UsageErrorNamesTheProgramTwice) {
  Captured error(std::cerr);
  EXPECT_EQ(usage_error(kProgram, "-j is 0"), 2);
  EXPECT_EQ(error.text(), "kestral-test: -j is 0 (kestral-test --help shows the usage)\n");
}

TEST(ProgramMain, ParseGoesOnOrEndsWithTheStatus) {
  struct Case {
    std::vector<const char*> arguments;
    std::optional<int> status;
    std::string out_start;  // the start of what standard output got
    std::string error;      // all standard error got
  };
  const std::vector<Case> cases = {
      {{"FILE"}, std::nullopt, "", ""},
      {{"--help"}, 0, "Runs the test", ""},
      {{"--version"}, 0, "kestral-test 1.0\n", ""},
      {{}, 2, "", "kestral-test: FILE is required (kestral-test --help shows the usage)\n"},
      {{"FILE", "--bad"}, 2, "", "kestral-test: The following argument was not expected: --bad "
                                 "(kestral-test --help shows the usage)\n"},
  };
  for (const Case& c : cases) {
    CLI::App app{"Runs the test.", "kestral-test"};
    app.set_version_flag("--version", "kestral-test 1.0");
    std::string input;
    app.add_option("FILE", input)->required();
    std::vector<char*> argv{const_cast<char*>("kestral-test")};
    for (const char* argument : c.arguments) argv.push_back(const_cast<char*>(argument));
    Captured out(std::cout);
    Captured error(std::cerr);
    EXPECT_EQ(parse_command_line(app, static_cast<int>(argv.size()), argv.data(), kProgram), c.status)
        << c.arguments.size();
    EXPECT_EQ(out.text().rfind(c.out_start, 0), 0u) << out.text();
    EXPECT_EQ(error.text(), c.error);
  }
}

TEST(ProgramMain, OutputNamingTheInputIsRefused) {
  const testing::ScratchFolder folder("program_main");
  const std::string input = (folder / "problem.json").string();
  std::ofstream(input) << "{}";
  struct Case {
    std::string output;
    std::string refused;
  };
  const std::vector<Case> cases = {
      {"", ""},
      {(folder / "table.csv").string(), ""},
      {input, "-o " + input + " is the survey file itself"},
      {(folder / "." / "problem.json").string(),
       "-o " + (folder / "." / "problem.json").string() + " is the survey file itself"},
  };
  for (const Case& c : cases) EXPECT_EQ(output_replacing_input(input, c.output, "survey"), c.refused) << c.output;
  // An input that does not exist is refused later, as a file not found.
  EXPECT_EQ(output_replacing_input((folder / "none.json").string(), (folder / "none.json").string(), "survey"), "");
}

TEST(ProgramMain, EveryFailureIsOneLineAndStatusOne) {
  struct Case {
    std::function<int()> work;
    int status;
    std::string error;
  };
  const std::vector<Case> cases = {
      {[] { return 0; }, 0, ""},
      {[] { return 1; }, 1, ""},
      {[]() -> int { throw std::bad_alloc(); }, 1, "in.json: not enough memory for the test work\n"},
      {[]() -> int { throw multilayer::InvalidProblem("layer 2: E is 0"); }, 1, "in.json: layer 2: E is 0\n"},
      {[]() -> int { throw std::runtime_error("in.json:3: a number"); }, 1, "in.json:3: a number\n"},
  };
  for (const Case& c : cases) {
    Captured error(std::cerr);
    EXPECT_EQ(run_program(kProgram, "in.json", c.work), c.status);
    EXPECT_EQ(error.text(), c.error);
  }
}

TEST(ProgramMain, OutputGoesToTheFileWhenCommitted) {
  const testing::ScratchFolder folder("program_main");
  const std::string path = (folder / "table.csv").string();
  {
    ProgramOutput output(path);
    EXPECT_TRUE(output.to_file());
    output.stream() << "a,b\n";
    EXPECT_FALSE(std::filesystem::exists(path));  // whole or not at all
    EXPECT_TRUE(output.finish(kProgram));
  }
  std::ifstream written(path);
  std::stringstream text;
  text << written.rdbuf();
  EXPECT_EQ(text.str(), "a,b\n");
  EXPECT_THROW(ProgramOutput((folder / "missing" / "table.csv").string()), std::runtime_error);
}

TEST(ProgramMain, StandardOutputThatFailsIsReported) {
  Captured out(std::cout);
  Captured error(std::cerr);
  ProgramOutput output("");
  EXPECT_FALSE(output.to_file());
  EXPECT_EQ(&output.stream(), &std::cout);
  std::cout.setstate(std::ios::badbit);
  EXPECT_FALSE(output.finish(kProgram));
  std::cout.clear();
  EXPECT_TRUE(output.finish(kProgram));
  EXPECT_EQ(error.text(), "kestral-test: cannot write the test table to standard output\n");
}

}  // namespace
}  // namespace kestral::analyse
