// The product of two 32-bit numbers divided by a third, as the scaling and every
// transition step use it.
#pragma once

// The 64-bit product number * numerator divided by denominator, rounded to the
// nearest integer with halves away from zero. -1 when denominator is 0 or the
// result does not fit into 32 bits (so a genuine -1 cannot be told apart).
int MulDiv(int number, int numerator, int denominator);
