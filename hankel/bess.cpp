#include "hankel/bess.h"

#include <array>
#include <cmath>

namespace kestral {

namespace {

constexpr float kSwitchOver = 30.0f;         // series up to and including, asymptotic above
constexpr float kQuarterPi = 0.7853981f;     // pi/4 as the phase shift of both sines
constexpr float kSqrtTwoOverPi = 0.7978846f; // sqrt(2/pi), the amplitude factor
constexpr float kCorrectionDivisor = 8.0f;   // Q = (4n^2 - 1)/(8x)
constexpr float kCorrectionFactor = 3.0f;    // 4n^2 - 1 for n = 1
constexpr float kStopTolerance = 1.0e-10f;
constexpr int kMaxSteps = 90;
constexpr int kTermTableSize = 100;  // t(1)..t(91) reachable

// Hankel's form cut after P = 1 and Q = (4n^2 - 1)/(8x), with the cosines of
// x - pi/4 and x - 3pi/4 rewritten as sines of x +/- pi/4.
float asymptotic(float x, int order) {
  const double arg = x;
  const double s_plus = static_cast<float>(std::sin(arg + double{kQuarterPi}));
  const double s_minus = static_cast<float>(std::sin(arg - double{kQuarterPi}));
  const double r = std::sqrt(arg);
  const double eight_x = double{kCorrectionDivisor} * arg;
  if (order == 0) {
    return static_cast<float>(double{kSqrtTwoOverPi} * (s_plus + s_minus / eight_x) / r);
  }
  return static_cast<float>(double{kSqrtTwoOverPi} *
                            (s_minus + double{kCorrectionFactor} * s_plus / eight_x) / r);
}

// Ascending series in double. The stop test compares the terms one and three
// places behind the newest, so t(2), t(3) and t(4) are always added.
float ascending_series(float x, int order) {
  std::array<double, kTermTableSize> t;  // t[k - 1] holds term t(k)
  const double arg = x;
  t[0] = (order == 0) ? 1.0 : arg / 2.0;
  double sum = t[0];
  for (int j = 1; j <= kMaxSteps; ++j) {
    const int i = j + 1;
    double u;
    if (order == 0) {
      const double q = arg / (2.0 * j);
      u = q * q;
    } else {
      u = arg * arg / (4.0 * j * i);
    }
    t[i - 1] = -u * t[j - 1];
    sum += t[i - 1];
    if (i >= 4) {
      const float d = static_cast<float>(std::fabs(t[i - 2] - t[i - 4]));
      if (d <= kStopTolerance) break;
    }
  }
  return static_cast<float>(sum);
}

}  // namespace

void BESS(const float& x, float& value, const int& order) {
  // Orders other than 0 and 1 are outside the contract: value is left as it is.
  if (order != 0 && order != 1) return;
  const float arg = x;  // value may alias x
  value = (arg > kSwitchOver) ? asymptotic(arg, order) : ascending_series(arg, order);
}

}  // namespace kestral
