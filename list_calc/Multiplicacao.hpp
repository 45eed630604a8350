// Multiplication: rows of one digit times a list, added into a running sum, carries settled last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bignumber.hpp"

namespace list_calc {

// `number` with its sign cleared when its (non-empty) list starts with the value 0.
ListNumber ehZero(ListNumber number);
// The product of lists `a` and `b` (units first, digit values 0 to 9), most significant first,
// leading zeros possible; a and b unchanged. An empty list counts as zero.
DigitNode *Mult(const DigitNode *a, const DigitNode *b);
// Mult, with the carries of the running sum settled after every `linhas` rows (at least 1); sets
// *maior, when not null, to the largest value a node of the running sum held before a settling.
DigitNode *MultAcertandoACada(const DigitNode *a, const DigitNode *b, std::size_t linhas,
                              std::int32_t *maior = nullptr);
// The product of two numbers, never negative zero; releases both operand lists.
ListNumber ChamarMult(ListNumber a, ListNumber b);

} // namespace list_calc
