#pragma once

namespace kestral {

// BESS: Bessel function of the first kind, J0(x) (order 0) or J1(x) (order 1).
//
// Method: for x <= 30 the ascending series, summed in double precision, ends
// when the terms one and three places behind the newest differ by at most
// 1e-10 (at most 90 steps, in a fixed table of 100 terms). For x > 30
// Hankel's asymptotic form cut after its first correction term.
//
// Arguments (all by reference):
//   x      in   argument; the system passes 0 <= x <= about 260.
//   value  out  J0(x) or J1(x), single precision.
//   order  in   0 or 1; any other order stores nothing for x > 30.
//
// Accuracy: about 1e-5 absolute near x = 30, where the series sums terms of
// order 1e11 to a result below 1, and where the asymptotic form is weakest;
// better elsewhere. Negative arguments take the series (at x = -31 the error
// is already about 5e-5); the system never passes one.
void BESS(const float& x, float& value, const int& order);

}  // namespace kestral
