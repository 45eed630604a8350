// Subtraction: list length, magnitude comparison, and the sum of numbers of different signs.
#pragma once

#include <cstddef>

#include "bignumber.hpp"

namespace list_calc {

// Number of nodes of `list`; 0 for the empty list.
std::size_t size(const DigitNode *list);
// Compares magnitudes of lists units first (leading zeros allowed): 1 when a's is larger, 0 when
// smaller, 2 when equal. Signs are not looked at; both lists are left as they were.
int Maior(ListNumber a, ListNumber b);
// Subtracts `b` from `a` (units first, |a| >= |b|), putting each digit in front of `acc`; returns
// the new head (most significant first, leading zeros possible). Borrows change the values in a.
DigitNode *Sub(DigitNode *a, const DigitNode *b, DigitNode *acc);
// The sum of two numbers of different signs, never negative zero; releases both operand lists.
ListNumber ChamarSub(ListNumber a, ListNumber b);

} // namespace list_calc
