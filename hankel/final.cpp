#include "hankel/final.h"

#include <array>
#include <cmath>
#include <ostream>

#include "format/format.h"
#include "hankel/bess.h"
#include "hankel/roots.h"
#include "hankel/truncation.h"
#include "layered/abcd.h"

namespace kestral {
namespace {

// Interval ends: the roots with the midpoint of every gap between them.
inline constexpr int kBoundaryCapacity = 320;
inline constexpr int kBoundariesFilled = 2 * (kRootListSize - 1);  // 318 ends, 317 intervals
using BoundaryList = std::array<float, kBoundaryCapacity>;

inline constexpr int kTotals = 10;
using Totals = std::array<float, kTotals>;

// The seven integrals I1..I7, by their index in the totals and node values:
// pass 1 integrates the four J0(rho m) ones, pass 2 the three J1(rho m) ones.
enum Integral : int {
  kVerticalStress = 1,        // I1: SigmaZ = -q I1
  kRadialStressJ0 = 2,        // I2: SigmaR = q I2 - q I5
  kTangentialStressJ0 = 3,    // I3: SigmaT = 2 mu q I3 + q I6
  kVerticalDisplacement = 4,  // I4: DispZ = -((1 + mu)/E) q a I4
  kRadialStressJ1 = 5,        // I5
  kTangentialStressJ1 = 6,    // I6
  kShearStress = 7,           // I7: TaoRZ = q I7
};

void fill_boundaries(const RootList& roots, BoundaryList& bounds) {
  for (int k = 1; k <= kRootListSize - 1; ++k) {
    const double lower = roots[k - 1];
    const double upper = roots[k];
    bounds[2 * k - 2] = roots[k - 1];
    bounds[2 * k - 1] = static_cast<float>((lower + upper) / 2.0);
  }
}

// Everything a quadrature node needs besides m: the point, its layer and
// the layer system.
struct PointSetting {
  float rho;
  float zeta;
  int L;
  int n;
  const LayerTable& E;
  const LayerTable& Mu;
  const LayerTable& H;
  float a;
  int IBOND;
  ConstantsStore* store;  // the run's solved constants, or none for the plain solve
};

// The terms that grow with depth, coefficient times exp(t). Deeper than
// about 46 contact radii exp(t) overflows single precision on the first
// interval; the half-space's coefficient is then exactly 0 (A = C = 0) and
// the term is 0 rather than 0 times infinity, and any other coefficient is
// scaled by the double-precision exponential, which cannot overflow there.
struct GrowingExponential {
  double value;
  double operator()(double coefficient) const { return coefficient == 0.0 ? 0.0 : coefficient * value; }
};

// One pass: integrates quantities first..last of its interval chain into T.
// Pass 1 (quantities 1-4) carries J0(rho m) J1(m); pass 2 (quantities 5-7)
// carries J1(rho m) J1(m).
void integrate_pass(int pass, const PointSetting& p, const BoundaryList& bounds,
                    const GaussNodeTable& x, const GaussNodeTable& w, const GaussOrderTable& N,
                    Totals& T) {
  const int first = pass == 1 ? kVerticalStress : kRadialStressJ1;
  const int last = pass == 1 ? kVerticalDisplacement : kShearStress;
  const double mu = p.Mu[p.L - 1];
  const bool on_axis = p.rho == 0.0f;
  ConstantsTable A{};
  ConstantsTable B{};
  ConstantsTable C{};
  ConstantsTable D{};

  for (int i = 1; i <= kBoundariesFilled - 1; ++i) {
    const float lo = bounds[i - 1];
    const float hi = bounds[i];
    const float half = static_cast<float>((static_cast<double>(hi) - static_cast<double>(lo)) / 2.0);
    const float mid = static_cast<float>((static_cast<double>(lo) + static_cast<double>(hi)) / 2.0);
    const int rule = i <= 2 ? 1 : (i <= 4 ? 2 : 3);
    const int order = N[rule - 1];

    std::array<float, 8> S{};
    float m = mid;
    for (int j = 1; j <= order; ++j) {
      m = static_cast<float>(static_cast<double>(half) * static_cast<double>(gauss_at(x, j, rule)) +
                             static_cast<double>(mid));
      if (p.store != nullptr) {
        ABCD(m, p.Mu, p.E, p.n, p.H, p.a, A, B, C, D, p.IBOND, *p.store);
      } else {
        ABCD(m, p.Mu, p.E, p.n, p.H, p.a, A, B, C, D, p.IBOND);
      }
      const float rho_m = p.rho * m;
      // Pass 1 asks for J0(rho m) then J1(m); pass 2 for J1(m) then J1(rho m).
      float j1_m = 0.0f;
      float j_rho_m = 0.0f;
      if (pass == 1) {
        BESS(rho_m, j_rho_m, 0);
        BESS(m, j1_m, 1);
      } else {
        BESS(m, j1_m, 1);
        BESS(rho_m, j_rho_m, 1);
      }
      const float t = p.zeta * m;
      const float e_plus = static_cast<float>(std::exp(static_cast<double>(t)));
      const float e_minus = static_cast<float>(std::exp(-static_cast<double>(t)));
      const GrowingExponential grow{std::isinf(e_plus) ? std::exp(static_cast<double>(t))
                                                       : static_cast<double>(e_plus)};

      const double md = m;
      const double td = t;
      const double Ad = A[p.L - 1];
      const double Bd = B[p.L - 1];
      const double Cd = C[p.L - 1];
      const double Dd = D[p.L - 1];
      const double em = e_minus;

      std::array<float, 8> f{};
      if (pass == 1) {
        const double factor = on_axis ? static_cast<double>(j1_m)
                                      : static_cast<double>(j_rho_m) * static_cast<double>(j1_m);
        // The brackets G1..G4 of the J0(rho m) integrals.
        const double vertical_stress = md * (grow(md * Ad - Cd * (1.0 - 2.0 * mu - td)) +
                                             (md * Bd + Dd * (1.0 - 2.0 * mu + td)) * em);
        const double radial_stress_j0 = md * (grow(md * Ad + Cd * (1.0 + 2.0 * mu + td)) +
                                              (md * Bd - Dd * (1.0 + 2.0 * mu - td)) * em);
        const double tangential_stress_j0 = md * (grow(Cd) - Dd * em);
        const double vertical_displacement = grow(md * Ad - Cd * (2.0 - 4.0 * mu - td)) -
                                             (md * Bd + Dd * (2.0 - 4.0 * mu + td)) * em;
        f[kVerticalStress] = static_cast<float>(vertical_stress * factor);
        f[kRadialStressJ0] = static_cast<float>(radial_stress_j0 * factor);
        f[kTangentialStressJ0] = static_cast<float>(tangential_stress_j0 * factor);
        f[kVerticalDisplacement] = static_cast<float>(vertical_displacement * factor);
      } else {
        // J1(rho m)/(rho m) tends to 1/2 on the axis, where J1(rho m) = 0;
        // so it does for an offset so small that rho m rounds to zero.
        const double factor_56 =
            (on_axis || rho_m == 0.0f) ? static_cast<double>(j1_m) / 2.0
                    : static_cast<double>(j_rho_m) * static_cast<double>(j1_m) / static_cast<double>(rho_m);
        // The brackets G5 (= G6) and G7 of the J1(rho m) integrals.
        const double horizontal_stress_j1 =
            md * (grow(md * Ad + Cd * (1.0 + td)) + (md * Bd - Dd * (1.0 - td)) * em);
        const double shear_stress = md * (grow(md * Ad + Cd * (2.0 * mu + td)) -
                                          (md * Bd - Dd * (2.0 * mu - td)) * em);
        f[kRadialStressJ1] = static_cast<float>(horizontal_stress_j1 * factor_56);
        // The J1(rho m)/(rho m) integral enters the radial stress with one
        // sign and the tangential stress with the other; each has its total,
        // summed by the same steps, so I6 equals I5 bit for bit.
        f[kTangentialStressJ1] = f[kRadialStressJ1];
        f[kShearStress] = on_axis ? 0.0f
                                  : static_cast<float>(shear_stress * static_cast<double>(j_rho_m) *
                                                       static_cast<double>(j1_m));
      }
      const double weight = gauss_at(w, j, rule);
      for (int k = first; k <= last; ++k) {
        S[k] = static_cast<float>(static_cast<double>(S[k]) + weight * static_cast<double>(f[k]));
      }
    }
    for (int k = first; k <= last; ++k) {
      T[k] = static_cast<float>(static_cast<double>(T[k]) +
                                static_cast<double>(half) * static_cast<double>(S[k]));
    }

    if (integration_ends(p.zeta, m)) break;
  }
}

void evaluate_point(const float& Z, const float& R, const int& L, const int& n,
                    const LayerTable& E, const LayerTable& Mu, const LayerTable& H,
                    const float& a, const float& q, const GaussNodeTable& x,
                    const GaussNodeTable& w, const GaussOrderTable& N, const int& IBOND,
                    const int& K, ResultTable& results, std::ostream& console,
                    ConstantsStore* store) {
  // Outside these the tables would be indexed beyond their capacity.
  if (n < kMinLayers || n > kMaxLayers || L < 1 || L > n || K < 1 || K > kResultRows) return;
  for (int rule = 1; rule <= kGaussRulesRead; ++rule) {
    if (N[rule - 1] < 0 || N[rule - 1] > kGaussMaxOrder) return;
  }

  const float rho = R / a;
  const float zeta = Z / a;
  RootList roots_1{};
  RootList roots_2{};
  ROOTS(rho, roots_1, 1);
  ROOTS(rho, roots_2, 2);
  BoundaryList bounds_1{};
  BoundaryList bounds_2{};
  fill_boundaries(roots_1, bounds_1);
  fill_boundaries(roots_2, bounds_2);

  Totals T{};
  const PointSetting setting{rho, zeta, L, n, E, Mu, H, a, IBOND, store};
  integrate_pass(1, setting, bounds_1, x, w, N, T);
  integrate_pass(2, setting, bounds_2, x, w, N, T);

  const double mu = Mu[L - 1];
  const double modulus = E[L - 1];
  const double qd = q;
  // The seven totals, widened once: every result is formed in double.
  const auto I = [&T](int k) { return static_cast<double>(T[k]); };
  const float SigmaZ = static_cast<float>(-qd * I(kVerticalStress));
  const float DispZ = static_cast<float>(-((1.0 + mu) / modulus) * qd * static_cast<double>(a) *
                                         I(kVerticalDisplacement));
  const float SigmaR = static_cast<float>(qd * I(kRadialStressJ0) - qd * I(kRadialStressJ1));
  const float SigmaT =
      static_cast<float>(2.0 * mu * qd * I(kTangentialStressJ0) + qd * I(kTangentialStressJ1));
  const float TaoRZ = static_cast<float>(qd * I(kShearStress));

  console << FreeFormatLine().text("Sigma Z value=").real(SigmaZ).str() << '\n'
          << FreeFormatLine().text("Sigma T value=").real(SigmaT).str() << '\n'
          << FreeFormatLine().text("Sigma R value=").real(SigmaR).str() << '\n'
          << FreeFormatLine().text("Disp  Z value=").real(DispZ).str() << '\n'
          << FreeFormatLine().text("Tao  RZ value=").real(TaoRZ).str() << '\n';

  // Hooke's law from the rounded stresses.
  const double sz = SigmaZ;
  const double st = SigmaT;
  const double sr = SigmaR;
  const float epZ = static_cast<float>((sz - mu * sr - mu * st) / modulus);
  const float epT = static_cast<float>((st - mu * sz - mu * sr) / modulus);
  const float epR = static_cast<float>((sr - mu * st - mu * sz) / modulus);

  results.at(K, kColZ) = Z;
  results.at(K, kColR) = R;
  results.at(K, kColSigmaZ) = SigmaZ;
  results.at(K, kColSigmaT) = SigmaT;
  results.at(K, kColSigmaR) = SigmaR;
  results.at(K, kColTaoRZ) = TaoRZ;
  results.at(K, kColDispZ) = DispZ;
  results.at(K, kColEpZ) = epZ;
  results.at(K, kColEpT) = epT;
  results.at(K, kColEpR) = epR;
}

}  // namespace

void FINAL(const float& Z, const float& R, const int& L, const int& n, const LayerTable& E,
           const LayerTable& Mu, const LayerTable& H, const float& a, const float& q,
           const GaussNodeTable& x, const GaussNodeTable& w, const GaussOrderTable& N,
           const int& IBOND, const int& K, ResultTable& results, std::ostream& console) {
  evaluate_point(Z, R, L, n, E, Mu, H, a, q, x, w, N, IBOND, K, results, console, nullptr);
}

void FINAL(const float& Z, const float& R, const int& L, const int& n, const LayerTable& E,
           const LayerTable& Mu, const LayerTable& H, const float& a, const float& q,
           const GaussNodeTable& x, const GaussNodeTable& w, const GaussOrderTable& N,
           const int& IBOND, const int& K, ResultTable& results, std::ostream& console,
           ConstantsStore& store) {
  evaluate_point(Z, R, L, n, E, Mu, H, a, q, x, w, N, IBOND, K, results, console, &store);
}

}  // namespace kestral
