// One calculation: two operands, an operation and its result; and the magnitude arithmetic.
#pragma once

#include "bignumber.hpp"

#include <cstdint>

namespace batch_calc {

enum operation_code : int32_t { ADDITION = 0, SUBTRACTION = 1, MULTIPLICATION = 2 };

// One calculation. It owns its three records.
struct expression {
    int32_t operation;  // an operation_code
    big_number *left;   // the first operand as read; null when its line held no number
    big_number *right;  // the second operand as read; null when its line held no number
    big_number *result; // null until calculate_expression has set it, or when it could not
};

// Magnitude layer. Each returns a new record (null when its work buffer or the record cannot be
// allocated).
// |a| + |b|, negative when both are negative and the sum is not zero.
big_number *add_positive_big_numbers(const big_number *a, const big_number *b);
// |a| - |b| for |a| >= |b|, never negative.
big_number *subtract_positive_big_numbers(const big_number *a, const big_number *b);
// |a| * |b|, negative when the flags differ and the product is not zero.
big_number *multiply(const big_number *a, const big_number *b);
// True when |left| >= |right|: the longer text is larger, equal lengths compare as text.
bool is_larger_or_equal(const big_number *left, const big_number *right);

// Operation code for an operator byte: '-' subtracts, '*' multiplies, anything else (EOF too) adds.
int32_t operation_for(int operator_byte);

// Reads one calculation (two operand lines, the operator byte and the byte after it) and returns
// a new expression without result; null when the expression cannot be allocated.
expression *create_expression();

// Sets the result of an expression with both operands to a new record; with an operand missing,
// the result stays null.
void calculate_expression(expression *expression);

// Destroys the operands and result that exist, then the expression.
void destroy_expression(expression *expression);

} // namespace batch_calc
