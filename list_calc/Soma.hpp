// Addition: the sum of two digit lists, and of two numbers of the same sign.
#pragma once

#include "bignumber.hpp"

namespace list_calc {

// Adds lists `a` and `b` (units first; values above 9 allowed) and `carry`, putting each digit
// of the sum in front of `acc`; returns the new head (most significant first). a and b unchanged.
DigitNode *soma(const DigitNode *a, const DigitNode *b, DigitNode *acc, std::int32_t carry);
// The sum of two numbers of the same sign, never negative zero; releases both operand lists.
ListNumber ChamarSoma(ListNumber a, ListNumber b);

} // namespace list_calc
