#include "hankel/roots.h"

namespace kestral {

namespace {

constexpr float kPi = 3.1415927f;
constexpr int kTabledZerosJ0 = 30;
constexpr int kTabledZerosJ1 = 5;  // the origin and the first four positive zeros

// The first thirty positive zeros of J0.
constexpr std::array<float, kTabledZerosJ0> kFirstZerosJ0 = {
    2.4048257f, 5.5200782f, 8.6537275f, 11.791534f, 14.930918f, 18.071064f,
    21.211637f, 24.352472f, 27.493479f, 30.634607f, 33.775822f, 36.917099f,
    40.058426f, 43.199791f, 46.341187f, 49.482609f, 52.62405f,  55.765511f,
    58.906982f, 62.04847f,  65.189964f, 68.331467f, 71.472984f, 74.614502f,
    77.756027f, 80.897552f, 84.039093f, 87.180634f, 90.322174f, 93.463722f};

// The origin and the first four positive zeros of J1, to three decimals.
constexpr std::array<float, kTabledZerosJ1> kFirstZerosJ1 = {0.0f, 3.832f, 7.016f, 10.173f,
                                                             13.324f};

// Leading term of McMahon's expansion, (k - shift)*pi: the product of the
// whole number and the single-precision pi is exact in double and rounded once.
float mcmahon_zero(int k, float shift) {
  return static_cast<float>((static_cast<double>(k) - double{shift}) * double{kPi});
}

}  // namespace

void BESROT(ZeroTable& zerosJ0, ZeroTable& zerosJ1) {
  // Index k - 1 holds z(k).
  for (int k = 1; k <= kTabledZerosJ0; ++k) zerosJ0[k - 1] = kFirstZerosJ0[k - 1];
  for (int k = 1; k <= kTabledZerosJ1; ++k) zerosJ1[k - 1] = kFirstZerosJ1[k - 1];
  for (int k = kTabledZerosJ1 + 1; k <= kZeroTableSize; ++k) {
    zerosJ1[k - 1] = mcmahon_zero(k, 0.75f);
  }
  for (int k = kTabledZerosJ0 + 1; k <= kZeroTableSize; ++k) {
    zerosJ0[k - 1] = mcmahon_zero(k, 0.25f);
  }
}

}  // namespace kestral
