#include "tests/support/rejections.h"

namespace kestral::testing {

std::string two_point_rule_file() {
  return "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n-0.57735027 1\n";
}

std::string three_layer_head() { return "3\n3000 300 100\n0.35 0.35 0.40\n100 200\n20000 0.56\n"; }

const std::vector<Rejection>& rejected_inputs() {
  static const std::vector<Rejection> table = [] {
    const std::string rules = two_point_rule_file();
    const std::string head = three_layer_head();
    const std::string three = "3\n3000 300 100\n";
    const std::string tail = "\n3000 300 100 100 100 100 100 100 100 100 100 100\n";
    const std::string one_point = "1\n700 0\n1\n";
    std::string fifty_one = "51\n";
    for (int i = 0; i < 51; ++i) fifty_one += "700 " + std::to_string(10 * i) + "\n";
    fifty_one += "1\n";
    return std::vector<Rejection>{
      {"n = 1", rules, "1" + tail,
       "KESTRAL.in: number of layers (item 1) is 1, must be 2 to 5",
       RejectedAt::kBeforeEcho},
      {"n = 6", rules, "6" + tail,
       "KESTRAL.in: number of layers (item 1) is 6, must be 2 to 5",
       RejectedAt::kBeforeEcho},
      {"n = 11, beyond the tables", rules, "11" + tail,
       "KESTRAL.in: number of layers (item 1) is 11, must be 2 to 5",
       RejectedAt::kBeforeEcho},
      {"n = -3", rules, "-3" + tail,
       "KESTRAL.in: number of layers (item 1) is -3, must be 2 to 5",
       RejectedAt::kBeforeEcho},
      {"E(1) = 0", rules, "3\n0 300 100\n",
       "KESTRAL.in: modulus E(1) (item 2) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"E(2) = 0", rules, "3\n3000 0 100\n",
       "KESTRAL.in: modulus E(2) (item 2) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"E(3) negative", rules, "3\n3000 300 -100\n",
       "KESTRAL.in: modulus E(3) (item 2) is -100, must be positive",
       RejectedAt::kBeforeEcho},
      {"neighbouring moduli 1e7 apart", rules, "3\n3000 3e10 100\n",
       "KESTRAL.in: moduli E(1) = 3000 and E(2) = 3e+10 (item 2) differ by more than a factor of 1e6",
       RejectedAt::kBeforeEcho},
      {"Mu(1) = 0.75", rules, three + "0.75 0.35 0.4\n",
       "KESTRAL.in: Poisson's ratio Mu(1) (item 3) is 0.75, must be 0 to 0.5",
       RejectedAt::kBeforeEcho},
      {"Mu(2) = 0.6", rules, three + "0.35 0.6 0.4\n",
       "KESTRAL.in: Poisson's ratio Mu(2) (item 3) is 0.6, must be 0 to 0.5",
       RejectedAt::kBeforeEcho},
      {"Mu(1) = -1", rules, three + "-1 0.35 0.4\n",
       "KESTRAL.in: Poisson's ratio Mu(1) (item 3) is -1, must be 0 to 0.5",
       RejectedAt::kBeforeEcho},
      {"Mu(3) = -1", rules, three + "0.35 0.35 -1\n",
       "KESTRAL.in: Poisson's ratio Mu(3) (item 3) is -1, must be 0 to 0.5",
       RejectedAt::kBeforeEcho},
      {"Mu(2) = -0.2, no pavement material", rules, three + "0.35 -0.2 0.4\n",
       "KESTRAL.in: Poisson's ratio Mu(2) (item 3) is -0.2, must be 0 to 0.5",
       RejectedAt::kBeforeEcho},
      {"H(1) = 0", rules, three + "0.35 0.35 0.4\n0 200\n",
       "KESTRAL.in: thickness H(1) (item 4) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"H(2) = 0", rules, three + "0.35 0.35 0.4\n100 0\n",
       "KESTRAL.in: thickness H(2) (item 4) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"H(2) negative", rules, three + "0.35 0.35 0.4\n100 -200\n",
       "KESTRAL.in: thickness H(2) (item 4) is -200, must be positive",
       RejectedAt::kBeforeEcho},
      {"P = 0", rules, three + "0.35 0.35 0.4\n100 200\n0 0.56\n",
       "KESTRAL.in: load P (item 5) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"P = 0, two layers", rules, "2\n3000 100\n0.35 0.4\n100\n0 0.56\n",
       "KESTRAL.in: load P (item 5) is 0, must be positive",
       RejectedAt::kBeforeEcho},
      {"q negative", rules, "2\n3000 100\n0.35 0.4\n100\n20000 -0.5\n",
       "KESTRAL.in: tyre pressure q (item 5) is -0.5, must be positive",
       RejectedAt::kBeforeEcho},
      {"P and q give an infinite contact radius", rules, three + "0.35 0.35 0.4\n100 200\n3e38 1e-45\n" + one_point,
       "KESTRAL.in: load P 3e+38 and tyre pressure q 1e-45 (item 5) give a contact radius of inf mm, outside single precision",
       RejectedAt::kBeforeEcho},
      {"strains beyond single precision", rules, "2\n1e-32 1e-32\n0.35 0.4\n100\n20000 0.56\n",
       "KESTRAL.in: tyre pressure q = 0.56 (item 5) against modulus E(1) = 1e-32 gives stresses, strains or displacements beyond single precision",
       RejectedAt::kBeforeEcho},
      {"stresses beyond single precision", rules, "2\n3e38 3e38\n0.35 0.4\n100\n3e38 3e37\n",
       "KESTRAL.in: tyre pressure q = 3e+37 (item 5) against modulus E(1) = 3e+38 gives stresses, strains or displacements beyond single precision",
       RejectedAt::kBeforeEcho},
      {"NP = -1", rules, head + "-1\n1\n",
       "KESTRAL.in: number of points (item 6) is -1, must be 0 to 50",
       RejectedAt::kAfterEcho},
      {"NP = 51", rules, head + fifty_one,
       "KESTRAL.in: number of points (item 6) is 51, must be 0 to 50",
       RejectedAt::kAfterEcho},
      {"NP = 2147483647", rules, head + "2147483647\n700 0\n1\n",
       "KESTRAL.in: number of points (item 6) is 2147483647, must be 0 to 50",
       RejectedAt::kAfterEcho},
      {"negative Z", rules, head + "2\n700 0\n-10 0\n1\n",
       "KESTRAL.in: depth Z of point 2 (item 7) is -10, must be 0 or more",
       RejectedAt::kAfterEcho},
      {"negative R", rules, head + "2\n700 0\n700 -10\n1\n",
       "KESTRAL.in: radial offset R of point 2 (item 7) is -10, must be 0 or more",
       RejectedAt::kAfterEcho},
      {"R = -0.5", rules, head + "1\n700 -0.5\n1\n",
       "KESTRAL.in: radial offset R of point 1 (item 7) is -0.5, must be 0 or more",
       RejectedAt::kAfterEcho},
      {"gauss order 0", "0\n", head + one_point,
       "gauss.qua: order of rule 1 is 0, must be 1 to 10",
       RejectedAt::kBeforeEcho},
      {"gauss order 11", "2\n-0.57735027 1\n11\n", head + one_point,
       "gauss.qua: order of rule 2 is 11, must be 1 to 10",
       RejectedAt::kBeforeEcho},
      {"abscissa 1.0", "2\n1.0 1\n", head + one_point,
       "gauss.qua: abscissa 1 of rule 1 is 1, must lie strictly between -1 and 1",
       RejectedAt::kBeforeEcho},
      {"abscissa 2 of rule 1 is 1.0", "4\n-0.5 0.5\n1.0 0.5\n", head + one_point,
       "gauss.qua: abscissa 2 of rule 1 is 1, must lie strictly between -1 and 1",
       RejectedAt::kBeforeEcho},
      {"abscissa -1.5", "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n-1.5 1\n", head + one_point,
       "gauss.qua: abscissa 1 of rule 3 is -1.5, must lie strictly between -1 and 1",
       RejectedAt::kBeforeEcho},
      {"weight 2.6e37", "2\n-0.57735027 1\n2\n-0.57735027 2.6e37\n", head + one_point,
       "gauss.qua: weight 1 of rule 2 is 2.6e+37, must be above 0 and at most 2",
       RejectedAt::kBeforeEcho},
      {"weight 0", "2\n-0.57735027 1\n2\n-0.57735027 1\n2\n-0.57735027 0\n", head + one_point,
       "gauss.qua: weight 1 of rule 3 is 0, must be above 0 and at most 2",
       RejectedAt::kBeforeEcho},
      {"negative weight", "4\n-0.86113631 0.34785485\n-0.33998104 -0.65214515\n", head + one_point,
       "gauss.qua: weight 2 of rule 1 is -0.65214515, must be above 0 and at most 2",
       RejectedAt::kBeforeEcho},
    };
  }();
  return table;
}

}  // namespace kestral::testing
