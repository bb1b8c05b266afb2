// The problem file and the quadrature rules: what each item reads, how each
// rule is completed by symmetry, and the rejection of input outside the
// model, each message naming the file, the item and the value.
#include "driver/problem_input.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/rejections.h"

namespace kestral {
namespace {

FreeFormatReader problem(const std::string& content) {
  return FreeFormatReader(content, 1, "KESTRAL.in");
}
FreeFormatReader gauss(const std::string& content) {
  return FreeFormatReader(content, 27, "gauss.qua");
}

// Node j (1..10) of rule i (1..5).
float x_of(const GaussRules& rules, int j, int i) { return gauss_at(rules.x, j, i); }
float w_of(const GaussRules& rules, int j, int i) { return gauss_at(rules.w, j, i); }

TEST(ReadProblem, TwoLayersFreeFormatThenThePoints) {
  // Values run over lines, remarks follow the values, a point line carries a
  // third value and the wheel flag is written 2e0.
  FreeFormatReader file = problem(
      "2   layers\n"
      "4000,\n"
      "  120   E of the half-space on a second line\n"
      "0.30 0.45 remark after the ratios\n"
      "200 300 a second thickness is beyond the item\n"
      "40000 0.8\n"
      "3\n"
      "0 0 extra value ignored\n"
      "200 50\n"
      "500 400\n"
      "2e0\n");
  LayerSystem layers;
  WheelLoad load;
  EvalPoints points;
  read_problem_head(file, layers, load);
  EXPECT_EQ(layers.n, 2);
  EXPECT_EQ(layers.E[0], 4000.0f);
  EXPECT_EQ(layers.E[1], 120.0f);
  EXPECT_EQ(layers.Mu[0], 0.30f);
  EXPECT_EQ(layers.Mu[1], 0.45f);
  EXPECT_EQ(layers.H[0], 200.0f);
  EXPECT_EQ(layers.H[1], 0.0f);  // the half-space has no thickness
  EXPECT_EQ(load.P, 40000.0f);
  EXPECT_EQ(load.q, 0.8f);

  read_problem_points(file, points, load);
  ASSERT_EQ(points.NP, 3);
  EXPECT_EQ(points.Z[0], 0.0f);
  EXPECT_EQ(points.R[0], 0.0f);
  EXPECT_EQ(points.Z[1], 200.0f);
  EXPECT_EQ(points.R[1], 50.0f);
  EXPECT_EQ(points.Z[2], 500.0f);
  EXPECT_EQ(points.R[2], 400.0f);
  EXPECT_EQ(load.wheel_flag, 2.0f);
}

TEST(ReadProblem, FiveLayersReadFourThicknesses) {
  FreeFormatReader file = problem(
      "5\n"
      "4000 2000 400 200 60\n"
      "0.35 0.35 0.35 0.35 0.40\n"
      "40 80 150 250\n"
      "20000 0.56\n");
  LayerSystem layers;
  WheelLoad load;
  read_problem_head(file, layers, load);
  EXPECT_EQ(layers.n, 5);
  EXPECT_EQ(layers.E[4], 60.0f);
  EXPECT_EQ(layers.Mu[4], 0.40f);
  EXPECT_EQ(layers.H[3], 250.0f);
  EXPECT_EQ(layers.H[4], 0.0f);
  EXPECT_EQ(load.P, 20000.0f);
  EXPECT_EQ(load.q, 0.56f);
}

TEST(ReadProblem, PointListAndWheelFlag) {
  const struct {
    const char* content;
    int NP;
    float wheel_flag;
  } cases[] = {
      {"0\n2\n", 0, 2.0f},  // no point statements: the next one is the flag
      {"0\n1 remark\n", 0, 1.0f},   {"1\n700 0\n2.0\n", 1, 2.0f},
      {"1\n700 0\n2e0\n", 1, 2.0f}, {"1\n700 0 5\n1.5\n", 1, 1.5f},
      {"1\n700\n0\n0\n", 1, 0.0f},  // a point's two values over two lines
  };
  for (const auto& c : cases) {
    FreeFormatReader file = problem(c.content);
    EvalPoints points;
    WheelLoad load;
    read_problem_points(file, points, load);
    EXPECT_EQ(points.NP, c.NP) << c.content;
    EXPECT_EQ(load.wheel_flag, c.wheel_flag) << c.content;
  }
}

TEST(ReadProblem, FiftyPointsFillTheList) {
  std::string content = "50\n";
  for (int i = 1; i <= 50; ++i) content += std::to_string(10 * i) + " " + std::to_string(i) + "\n";
  content += "1\n";
  FreeFormatReader file = problem(content);
  EvalPoints points;
  WheelLoad load;
  read_problem_points(file, points, load);
  ASSERT_EQ(points.NP, 50);
  EXPECT_EQ(points.Z[49], 500.0f);
  EXPECT_EQ(points.R[49], 50.0f);
  EXPECT_EQ(load.wheel_flag, 1.0f);
}

TEST(ReadGaussRules, EitherHalfIsMirrored) {
  // Rule 1 gives the negative half, rule 2 the positive half, rule 3 a full
  // order-10 rule with remarks after the values.
  FreeFormatReader file = gauss(
      "4\n-0.86113631 0.34785485\n-0.33998104 0.65214515\n"
      "4\n0.86113631 0.34785485\n0.33998104 0.65214515\n"
      "10  order\n"
      "-0.97390653 0.066671344 node 1\n-0.86506337 0.14945135\n-0.67940957 0.21908636\n"
      "-0.43339539 0.26926672\n-0.14887434 0.29552422\n");
  GaussRules rules;
  read_gauss_rules(file, rules);
  EXPECT_EQ(rules.N[0], 4);
  EXPECT_EQ(rules.N[1], 4);
  EXPECT_EQ(rules.N[2], 10);
  const float negative_first[] = {-0.86113631f, -0.33998104f, 0.33998104f, 0.86113631f};
  const float weights[] = {0.34785485f, 0.65214515f, 0.65214515f, 0.34785485f};
  for (int j = 1; j <= 4; ++j) {
    EXPECT_EQ(x_of(rules, j, 1), negative_first[j - 1]) << j;
    EXPECT_EQ(x_of(rules, j, 2), -negative_first[j - 1]) << j;
    EXPECT_EQ(w_of(rules, j, 1), weights[j - 1]) << j;
    EXPECT_EQ(w_of(rules, j, 2), weights[j - 1]) << j;
  }
  for (int j = 5; j <= 10; ++j) {  // beyond order 4 the slots stay empty
    EXPECT_EQ(x_of(rules, j, 1), 0.0f);
    EXPECT_EQ(w_of(rules, j, 2), 0.0f);
  }
  for (int j = 1; j <= 10; ++j) {
    EXPECT_EQ(x_of(rules, 11 - j, 3), -x_of(rules, j, 3)) << j;
    EXPECT_EQ(w_of(rules, 11 - j, 3), w_of(rules, j, 3)) << j;
    if (j < 10) {
      EXPECT_LT(x_of(rules, j, 3), x_of(rules, j + 1, 3)) << j;  // nodes run upward
    }
  }
  // Rules 4 and 5 are never read.
  EXPECT_EQ(rules.N[3], 0);
  EXPECT_EQ(rules.N[4], 0);
  for (int j = 1; j <= 10; ++j) {
    EXPECT_EQ(x_of(rules, j, 4), 0.0f);
    EXPECT_EQ(w_of(rules, j, 5), 0.0f);
  }
}

TEST(ReadGaussRules, OddOrdersKeepAZeroMiddleNode) {
  // Order 1 reads no pair at all, so the next line is rule 2's order; order
  // 5 reads two pairs and its third node stays at abscissa 0, weight 0.
  FreeFormatReader file = gauss(
      "1\n"
      "5\n-0.90617985 0.23692689\n-0.53846931 0.47862867\n"
      "3\n-0.77459667 0.55555556\n");
  GaussRules rules;
  read_gauss_rules(file, rules);
  EXPECT_EQ(rules.N[0], 1);
  EXPECT_EQ(x_of(rules, 1, 1), 0.0f);
  EXPECT_EQ(w_of(rules, 1, 1), 0.0f);

  EXPECT_EQ(rules.N[1], 5);
  const float x5[] = {-0.90617985f, -0.53846931f, 0.0f, 0.53846931f, 0.90617985f};
  const float w5[] = {0.23692689f, 0.47862867f, 0.0f, 0.47862867f, 0.23692689f};
  for (int j = 1; j <= 5; ++j) {
    EXPECT_EQ(x_of(rules, j, 2), x5[j - 1]) << j;
    EXPECT_EQ(w_of(rules, j, 2), w5[j - 1]) << j;
  }

  EXPECT_EQ(rules.N[2], 3);
  EXPECT_EQ(x_of(rules, 2, 3), 0.0f);
  EXPECT_EQ(w_of(rules, 2, 3), 0.0f);
  EXPECT_EQ(x_of(rules, 3, 3), 0.77459667f);
  EXPECT_EQ(w_of(rules, 3, 3), 0.55555556f);
}

// Input outside the model: the one-line message of the shared table of
// rejections (the whole-run tests use the same), naming the file, the item
// and the value. Its contents hold values beyond the bad one, so that a
// reader which went on would read beyond a table.
TEST(InputOutsideTheModel, RejectedWithFileItemAndValue) {
  for (const testing::Rejection& c : testing::rejected_inputs()) {
    std::string message;
    try {
      FreeFormatReader rule_file = gauss(c.gauss);
      GaussRules rules;
      read_gauss_rules(rule_file, rules);
      FreeFormatReader problem_file = problem(c.problem);
      LayerSystem layers;
      WheelLoad load;
      read_problem_head(problem_file, layers, load);
      EvalPoints points;
      read_problem_points(problem_file, points, load);
    } catch (const InputError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.message) << c.what;
  }
}

// Items 6 and 7 are read after the echo: a rejection there comes from
// read_problem_points, once items 1 to 5 have been read and accepted.
TEST(InputOutsideTheModel, PointListRejectedWithItem) {
  int after_echo = 0;
  for (const testing::Rejection& c : testing::rejected_inputs()) {
    if (c.stage != testing::RejectedAt::kAfterEcho) continue;
    ++after_echo;
    FreeFormatReader rule_file = gauss(c.gauss);
    GaussRules rules;
    ASSERT_NO_THROW(read_gauss_rules(rule_file, rules)) << c.what;
    FreeFormatReader file = problem(c.problem);
    LayerSystem layers;
    WheelLoad load;
    ASSERT_NO_THROW(read_problem_head(file, layers, load)) << c.what;
    EvalPoints points;
    std::string message;
    try {
      read_problem_points(file, points, load);
    } catch (const InputError& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.message) << c.what;
  }
  EXPECT_GE(after_echo, 6);
}

// The edges of the model itself are accepted: Mu = 0.5 (incompressible) and
// 0, neighbouring moduli a factor of 1e6 apart, orders 1 and 10, abscissae
// just inside (-1, 1), a weight of 2.
TEST(InputOutsideTheModel, EdgesOfTheModelAccepted) {
  FreeFormatReader problem_file = problem("2\n0.125 125000\n0.5 0\n0.01\n1e-3 1e-3\n");
  LayerSystem layers;
  WheelLoad load;
  EXPECT_NO_THROW(read_problem_head(problem_file, layers, load));
  FreeFormatReader rule_file =
      gauss("1\n10\n-0.99999994 0.1\n-0.9 0.1\n-0.5 0.1\n-0.1 0.1\n0.99999994 0.1\n2\n0 2\n");
  GaussRules rules;
  EXPECT_NO_THROW(read_gauss_rules(rule_file, rules));
}

}  // namespace
}  // namespace kestral
