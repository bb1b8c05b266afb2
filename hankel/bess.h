#pragma once

namespace kestral {

// BESS: "Bessel", J0(x) (order 0) or J1(x) (order 1), first kind.
//
// Method: for x <= 30 (x = 30, 0 and negatives included) the ascending
// series, summed in double precision; it ends when the terms one and three
// places behind the newest differ by at most 1e-10, after at most 90 steps in
// a fixed table of 100 terms (about 25 steps at x = 10, 53 at x = 30). For
// x > 30 Hankel's asymptotic form cut after its first correction term, with
// pi/4 and sqrt(2/pi) held in single precision and each sine rounded to
// single precision.
//
// Arguments (all by reference; value may be the same variable as x):
//   x      in   argument; the system passes 0 <= x <= about 3040: m stays
//               below 152 (a surface point's passes stop at m = 150) and
//               rho m below 20 x 152, rho = R/a being at most 20 for an
//               accepted point (the shipped example reaches 441).
//   value  out  J0(x) or J1(x), rounded to single precision. For an order
//               other than 0 or 1 value is left unchanged.
//   order  in   0 or 1.
//
// Accuracy, largest absolute error measured against Boost.Math's
// cyl_bessel_j in long double on a grid of step 0.001 (J0 / J1):
//   0 .. 20      3.0e-8 / 3.0e-8   (float rounding of the result)
//   20 .. 25     2.7e-7 / 1.8e-7
//   25 .. 30     4.1e-5 / 2.0e-5   (the double sum cancels terms of order
//                                   1e11 to a result below 1)
//   30 .. 40     1.1e-5 / 1.8e-5   (asymptotic truncation, falls as x^-2.5)
//   40 .. 100    5.0e-6 / 9.2e-6
//   100 .. 260   5.5e-7 / 9.1e-7
//   260 .. 1000  5.5e-8 / 8.7e-8
//   1000 .. 3100 4.3e-9 / 4.0e-9   (1.7e-7 of the amplitude sqrt(2/(pi x)):
//                                   the float constants, sines and result)
// Not checked: the sign of x. Negative arguments take the series, which is
// exactly even (J0) and odd (J1) down to -30 but loses accuracy below (about
// 5e-5 at x = -31); the system never passes one. NaN or infinite x give NaN.
// No storage outlives a call, so BESS may run in several threads at once.
void BESS(const float& x, float& value, const int& order);

}  // namespace kestral
