// Multiplication: rows of one digit times a list, added into a running sum.
#pragma once

#include "bignumber.hpp"

namespace list_calc {

// `number` with its sign cleared when its (non-empty) list starts with the value 0.
ListNumber ehZero(ListNumber number);
// The product of lists `a` and `b` (units first), most significant first, leading zeros
// possible; a and b unchanged. An empty list counts as zero.
DigitNode *Mult(const DigitNode *a, const DigitNode *b);
// The product of two numbers, never negative zero; releases both operand lists.
ListNumber ChamarMult(ListNumber a, ListNumber b);

} // namespace list_calc
