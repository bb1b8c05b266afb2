// The quadrature rules must be Gauss-Legendre rules: every shipped and
// recorded gauss.qua passes, as do tables printed with five significant
// digits and halves given in any order; a slipped digit, another order's
// nodes, a repeated node and a rule of order 1 are refused with the node and
// the value expected. The expected values are the textbook ones (Abramowitz
// and Stegun, table 25.4), not the routine's own.
#include "driver/gauss_rule_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/free_format_reader.h"
#include "tests/support/program_run.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const char* const kRule10 =
    "10\n-0.9739065285 0.0666713443\n-0.8650633667 0.1494513492\n-0.6794095683 0.2190863625\n"
    "-0.4333953941 0.2692667193\n-0.1488743390 0.2955242247\n";
const char* const kRule2 = "2\n-0.5773502692 1.0\n";

// The check's verdict on a file: "" when accepted, else the message.
std::string verdict(const std::string& content) {
  FreeFormatReader file(content, 27, "gauss.qua");
  GaussRules rules;
  read_gauss_rules(file, rules);
  try {
    check_gauss_legendre_rules(rules, "gauss.qua");
  } catch (const InputError& error) {
    return error.what();
  }
  return "";
}

TEST(GaussRuleCheck, EveryShippedAndRecordedFileIsAccepted) {
  const fs::path source = KESTRAL_SOURCE_DIR;
  std::vector<fs::path> files = {source / "examples" / "dual-wheel" / "gauss.qua"};
  for (const char* set : {"regression", "conformance"}) {
    for (const auto& entry : fs::directory_iterator(source / "tests" / set)) {
      if (fs::exists(entry.path() / "gauss.qua")) files.push_back(entry.path() / "gauss.qua");
    }
  }
  EXPECT_GE(files.size(), 19u);
  for (const fs::path& file : files) EXPECT_EQ(verdict(read_text(file)), "") << file;
}

TEST(GaussRuleCheck, AcceptsFiveDigitTablesAndEitherHalfInEitherOrder) {
  const std::string five_digits =
      "10\n0.97391 0.066671\n0.86506 0.14945\n0.67941 0.21909\n0.43340 0.26927\n0.14887 0.29552\n";
  EXPECT_EQ(verdict(five_digits + kRule10 + kRule10), "");
  const std::string positive_ascending =
      "8\n0.18343464 0.36268378\n0.52553241 0.31370665\n0.79666648 0.22238103\n0.96028986 0.10122854\n";
  const std::string mixed_signs = "4\n0.3399810436 0.6521451549\n-0.8611363116 0.3478548451\n";
  EXPECT_EQ(verdict(positive_ascending + mixed_signs + kRule2), "");
  // Odd orders keep their middle node of weight 0 and are not checked.
  EXPECT_EQ(verdict("3\n0.5 0.7\n" + std::string(kRule10) + kRule10), "");
}

TEST(GaussRuleCheck, RefusesWhatIsNotAGaussLegendreRule) {
  const struct {
    std::string file;
    std::string message;
  } cases[] = {
      {"1\n" + std::string(kRule10) + kRule10,
       "gauss.qua: order of rule 1 is 1, which reads no node and has no weight: every integral "
       "would be 0"},
      {std::string(kRule10) + kRule10 + "1\n",
       "gauss.qua: order of rule 3 is 1, which reads no node and has no weight: every integral "
       "would be 0"},
      // A slipped decimal in the first weight.
      {"10\n-0.9739065285 0.666713443\n-0.8650633667 0.1494513492\n-0.6794095683 0.2190863625\n"
       "-0.4333953941 0.2692667193\n-0.1488743390 0.2955242247\n" +
           std::string(kRule10) + kRule10,
       "gauss.qua: weight 1 of rule 1 is 0.6667134, not that of the Gauss-Legendre rule of order "
       "10 (expected 0.0666713443)"},
      // A digit lost in an abscissa of rule 2.
      {std::string(kRule10) +
           "10\n-0.9739065285 0.0666713443\n-0.8650633667 0.1494513492\n-0.679409568 0.2190863625\n"
           "-0.433953941 0.2692667193\n-0.1488743390 0.2955242247\n" + kRule10,
       "gauss.qua: abscissa 4 of rule 2 is -0.43395394, not that of the Gauss-Legendre rule of "
       "order 10 (expected -0.4333953941)"},
      // The nodes of the order-2 rule under order 4; a repeated node.
      {std::string(kRule10) + kRule10 + "4\n-0.5773502692 1.0\n-0.5773502692 1.0\n",
       "gauss.qua: abscissa 1 of rule 3 is -0.57735026, not that of the Gauss-Legendre rule of "
       "order 4 (expected -0.3399810436)"},
      {std::string(kRule10) + kRule10 + "4\n-0.8611363116 0.3478548451\n-0.8611363116 0.3478548451\n",
       "gauss.qua: abscissa 1 of rule 3 is -0.8611363, not that of the Gauss-Legendre rule of "
       "order 4 (expected -0.3399810436)"},
  };
  for (const auto& c : cases) EXPECT_EQ(verdict(c.file), c.message);
}

// Through the program: order 1 everywhere gave every result 0 and status 0.
TEST(GaussRuleCheck, ProgramRefusesARuleWithoutWeight) {
  ScratchFolder folder;
  const fs::path example = fs::path(KESTRAL_SOURCE_DIR) / "examples" / "dual-wheel";
  fs::copy_file(example / "KESTRAL.in", folder.path() / "KESTRAL.in");
  write_text(folder.path() / "gauss.qua", "1\n1\n1\n");
  const ProgramRun run = run_program_in(folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors,
            "gauss.qua: order of rule 1 is 1, which reads no node and has no weight: every "
            "integral would be 0\n");
  EXPECT_EQ(run.report, "");
}

}  // namespace
}  // namespace kestral::testing
