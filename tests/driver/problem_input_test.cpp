// The problem file and the quadrature rules: what each item reads, how each
// rule is completed by symmetry, and the rejection of input outside the
// model, each message naming the file, the item and the value.
#include "driver/problem_input.h"

#include <gtest/gtest.h>

#include <string>

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

// Input outside the model: one message naming the file, the item and the
// value. Contents hold enough values after the bad one that a reader which
// went on would read beyond a table.
TEST(InputOutsideTheModel, RejectedWithFileItemAndValue) {
  const std::string good_gauss = "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n-0.57735027 1\n";
  const std::string tail = "\n3000 300 100 100 100 100 100 100 100 100 100 100\n";
  const struct Case {
    const char* what;
    std::string gauss;
    std::string problem;
    std::vector<std::string> mentions;
  } cases[] = {
      {"n = 1", good_gauss, "1" + tail, {"KESTRAL.in", "item 1", " 1,"}},
      {"n = 6", good_gauss, "6" + tail, {"KESTRAL.in", "item 1", " 6,"}},
      {"n = 11, beyond the tables", good_gauss, "11" + tail, {"KESTRAL.in", "item 1", "11"}},
      {"n = -3", good_gauss, "-3" + tail, {"KESTRAL.in", "item 1", "-3"}},
      {"E(2) = 0", good_gauss, "3\n3000 0 100\n", {"KESTRAL.in", "item 2", "E(2)", " 0,"}},
      {"E(3) < 0", good_gauss, "3\n3000 300 -100\n", {"KESTRAL.in", "item 2", "E(3)", "-100"}},
      {"Mu(1) = 0.75",
       good_gauss,
       "3\n3000 300 100\n0.75 0.35 0.4\n",
       {"KESTRAL.in", "item 3", "Mu(1)", "0.75"}},
      {"Mu(3) = -1",
       good_gauss,
       "3\n3000 300 100\n0.35 0.35 -1\n",
       {"KESTRAL.in", "item 3", "Mu(3)", "-1"}},
      {"Mu(2) = -0.2, no pavement material",
       good_gauss,
       "3\n3000 300 100\n0.35 -0.2 0.4\n",
       {"KESTRAL.in", "item 3", "Mu(2)", "-0.2"}},
      {"neighbouring moduli 1e7 apart",
       good_gauss,
       "3\n3000 3e10 100\n",
       {"KESTRAL.in", "item 2", "E(1)", "E(2)", "1e6"}},
      {"strains beyond single precision",
       good_gauss,
       "2\n1e-32 1e-32\n0.35 0.4\n100\n20000 0.56\n",
       {"KESTRAL.in", "item 5", "E(1)", "single precision"}},
      {"stresses beyond single precision",
       good_gauss,
       "2\n3e38 3e38\n0.35 0.4\n100\n3e38 3e37\n",
       {"KESTRAL.in", "item 5", "q = 3e+37"}},
      {"H(1) = 0",
       good_gauss,
       "3\n3000 300 100\n0.35 0.35 0.4\n0 200\n",
       {"KESTRAL.in", "item 4", "H(1)", " 0,"}},
      {"H(2) < 0",
       good_gauss,
       "3\n3000 300 100\n0.35 0.35 0.4\n100 -200\n",
       {"KESTRAL.in", "item 4", "H(2)", "-200"}},
      {"P = 0",
       good_gauss,
       "2\n3000 100\n0.35 0.4\n100\n0 0.56\n",
       {"KESTRAL.in", "item 5", "P", " 0,"}},
      {"q < 0",
       good_gauss,
       "2\n3000 100\n0.35 0.4\n100\n20000 -0.5\n",
       {"KESTRAL.in", "item 5", "q", "-0.5"}},
      {"gauss order 0", "0\n", "", {"gauss.qua", "rule 1", "order", " 0,"}},
      {"gauss order 11", "2\n-0.57735027 1\n11\n", "", {"gauss.qua", "rule 2", "order", "11"}},
      {"gauss abscissa 1.0",
       "4\n-0.5 0.5\n1.0 0.5\n",
       "",
       {"gauss.qua", "rule 1", "abscissa 2", " 1,"}},
      {"gauss abscissa -1.5",
       "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n-1.5 0.5\n",
       "",
       {"gauss.qua", "rule 3", "abscissa 1", "-1.5"}},
  };
  for (const Case& c : cases) {
    std::string message;
    try {
      FreeFormatReader rule_file = gauss(c.gauss);
      GaussRules rules;
      read_gauss_rules(rule_file, rules);
      FreeFormatReader problem_file = problem(c.problem);
      LayerSystem layers;
      WheelLoad load;
      read_problem_head(problem_file, layers, load);
    } catch (const InputError& error) {
      message = error.what();
    }
    ASSERT_FALSE(message.empty()) << c.what;
    EXPECT_EQ(message.find('\n'), std::string::npos) << c.what;
    for (const std::string& word : c.mentions) {
      EXPECT_NE(message.find(word), std::string::npos)
          << c.what << ": " << message << " lacks " << word;
    }
  }
}

TEST(InputOutsideTheModel, PointListRejectedWithItem) {
  std::string fifty_one = "51\n";
  for (int i = 0; i < 51; ++i) fifty_one += "700 0\n";
  const struct Case {
    const char* what;
    std::string content;
    std::vector<std::string> mentions;
  } cases[] = {
      {"NP = -1", "-1\n1\n", {"KESTRAL.in", "item 6", "-1"}},
      {"NP = 51", fifty_one + "1\n", {"KESTRAL.in", "item 6", "51"}},
      {"negative depth", "2\n700 0\n-1 0\n1\n", {"KESTRAL.in", "item 7", "point 2", "Z", "-1"}},
      {"negative offset", "1\n700 -0.5\n1\n", {"KESTRAL.in", "item 7", "point 1", "R", "-0.5"}},
  };
  for (const Case& c : cases) {
    FreeFormatReader file = problem(c.content);
    EvalPoints points;
    WheelLoad load;
    std::string message;
    try {
      read_problem_points(file, points, load);
    } catch (const InputError& error) {
      message = error.what();
    }
    ASSERT_FALSE(message.empty()) << c.what;
    for (const std::string& word : c.mentions) {
      EXPECT_NE(message.find(word), std::string::npos)
          << c.what << ": " << message << " lacks " << word;
    }
  }
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
