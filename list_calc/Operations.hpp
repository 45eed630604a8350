// Dispatch: the operation that an operator character names.
#pragma once

#include "bignumber.hpp"

namespace list_calc {

// The result of `a op b` for op "+", "-" or "*" (any other character adds); consumes both
// operand lists, and the caller owns the result's list.
ListNumber ChamaOperacao(ListNumber a, ListNumber b, char op);

} // namespace list_calc
