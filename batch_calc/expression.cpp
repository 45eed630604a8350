// One calculation: reading it, computing it by the sign table, and the magnitude arithmetic.
#include "expression.hpp"

#include "helpers.hpp"

#include "digit_product.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace batch_calc {
namespace {

// The end of a number's text, just behind its units digit: the digit at position k from the units
// end is value(end, k). Loops keep this pointer in a local, as their stores into char buffers could
// otherwise alias the record's fields.
const char *text_end(const big_number *number) {
    return number->digits + number->length;
}

int value(const char *end, int32_t k) {
    return end[-1 - k] - '0';
}

// Turns a units-first work text into a result record: reverses it, trims it in place and keeps the
// work buffer as the record's digits, cut to their length, and sets the sign unless the result is
// zero. No copy is made, so the result needs no memory beyond its work buffer and its record.
big_number *finish_result(char *work, int32_t work_length, bool negative_unless_zero) {
    reverse_string(work);
    int32_t length = remove_leading_zeroes(work, work, work_length);
    big_number *result = create_big_number(shrink_to_text(work, length), length, 0);
    if (result != nullptr)
        result->is_negative = negative_unless_zero && !is_zero_string(result->digits, length);
    return result;
}

// A work buffer of `size` bytes for a result of up to `longest` digits, whose last two bytes are
// zero; its user writes every other byte it reads (a full zero fill would cost each result a
// calloc). Null when it cannot be allocated, and for a result too long for a
// record's 32-bit length: the calculation is then left without a result.
char *work_buffer(int64_t size, int64_t longest) {
    if (longest > INT32_MAX) return nullptr;
    char *work = static_cast<char *>(malloc(static_cast<size_t>(size)));
    if (work == nullptr) return nullptr;
    work[size - 2] = work[size - 1] = '\0';
    return work;
}

// The digit character for a column sum (0 to 19 with the carry in); sets the carry out.
char sum_digit(int column, int *carry) {
    int sum = column + *carry;
    *carry = sum >= 10;
    return static_cast<char>('0' + sum - 10 * *carry);
}

// The digit character for a column difference (-9 to 9 before the borrow); sets the borrow out.
char difference_digit(int column, int *borrow) {
    int difference = column - *borrow;
    *borrow = difference < 0;
    return static_cast<char>('0' + difference + 10 * *borrow);
}

// Copies a number's digit characters into units, units digit first.
void copy_units_first(const big_number *number, char *units) {
    std::reverse_copy(number->digits, number->digits + number->length, units);
}

} // namespace

big_number *add_positive_big_numbers(const big_number *a, const big_number *b) {
    const bool a_is_longer = a->length >= b->length;
    const big_number *longer = a_is_longer ? a : b;
    int32_t n = longer->length, common = a_is_longer ? b->length : a->length;
    char *work = work_buffer(static_cast<int64_t>(n) + 2, static_cast<int64_t>(n) + 1);
    if (work == nullptr) return nullptr;
    const char *a_end = text_end(a), *b_end = text_end(b), *longer_end = text_end(longer);
    int carry = 0;
    int32_t k = 0;
    for (; k < common; ++k) work[k] = sum_digit(value(a_end, k) + value(b_end, k), &carry);
    for (; k < n; ++k) work[k] = sum_digit(value(longer_end, k), &carry);
    if (carry != 0) work[n] = '1';
    return finish_result(work, n + carry, a->is_negative && b->is_negative);
}

big_number *subtract_positive_big_numbers(const big_number *a, const big_number *b) {
    BATCH_CALC_CHECK(a->length >= b->length);
    int32_t la = a->length, lb = b->length;
    char *work = work_buffer(static_cast<int64_t>(la) + 2, la);
    if (work == nullptr) return nullptr;
    const char *a_end = text_end(a), *b_end = text_end(b);
    int borrow = 0;
    int32_t k = 0;
    for (; k < lb; ++k) work[k] = difference_digit(value(a_end, k) - value(b_end, k), &borrow);
    for (; k < la; ++k) work[k] = difference_digit(value(a_end, k), &borrow);
    return finish_result(work, la, false);
}

// The digit products are summed by column and each column's carry is settled once
// (digit_product.hpp), not row by row; the cells end with the same digits. The work buffer holds
// the n + 3 cells, then the digits of a and of b units first, then the kernel's scratch.
big_number *multiply(const big_number *a, const big_number *b) {
    int32_t la = a->length, lb = b->length;
    int64_t n = static_cast<int64_t>(la) + lb;
    int64_t scratch = static_cast<int64_t>(
        digit_product::scratch_bytes(static_cast<size_t>(la), static_cast<size_t>(lb)));
    char *cells = work_buffer(n + 3 + n + scratch, n + 1);
    if (cells == nullptr) return nullptr;
    char *a_units = cells + n + 3, *b_units = a_units + la;
    copy_units_first(a, a_units);
    copy_units_first(b, b_units);
    digit_product::multiply(reinterpret_cast<const uint8_t *>(a_units), static_cast<size_t>(la),
                            reinterpret_cast<const uint8_t *>(b_units), static_cast<size_t>(lb),
                            '0', reinterpret_cast<uint8_t *>(b_units + lb),
                            reinterpret_cast<uint8_t *>(cells));
    cells[n] = '0'; // the cell above the product, trimmed with its other leading zeros
    cells[n + 1] = cells[n + 2] = '\0';
    return finish_result(cells, static_cast<int32_t>(n + 1), a->is_negative != b->is_negative);
}

bool is_larger_or_equal(const big_number *left, const big_number *right) {
    if (left->length != right->length) return left->length > right->length;
    return strcmp(left->digits, right->digits) >= 0;
}

namespace {

// Gives a sum or difference the sign its row of the sign table names; zero (and the empty text
// of operands written as "-" alone) is never negative.
big_number *with_sign(big_number *result, int8_t is_negative) {
    if (result != nullptr)
        result->is_negative = is_negative && is_nonzero_text(result->digits, result->length);
    return result;
}

// The sign table: one line per row. The magnitude operation sets a sign of its own, which the
// row's sign replaces.
big_number *signed_result(int32_t operation, const big_number *left, const big_number *right) {
    int8_t flag = left->is_negative;
    bool equal_flags = left->is_negative == right->is_negative;
    switch (operation) {
    case ADDITION:
        if (equal_flags) return with_sign(add_positive_big_numbers(left, right), flag);
        if (is_larger_or_equal(left, right))
            return with_sign(subtract_positive_big_numbers(left, right), flag);
        return with_sign(subtract_positive_big_numbers(right, left), !flag);
    case SUBTRACTION:
        if (!equal_flags) return with_sign(add_positive_big_numbers(left, right), flag);
        if (is_larger_or_equal(left, right))
            return with_sign(subtract_positive_big_numbers(left, right), flag);
        return with_sign(subtract_positive_big_numbers(right, left), !flag);
    case MULTIPLICATION:
        return multiply(left, right);
    }
    return nullptr;
}

} // namespace

int32_t operation_for(int operator_byte) {
    if (operator_byte == '-') return SUBTRACTION;
    if (operator_byte == '*') return MULTIPLICATION;
    return ADDITION;
}

expression *create_expression() {
    big_number *left = read_big_number();
    big_number *right = read_big_number();
    int operator_byte = next_byte();
    next_byte(); // the newline that ends the operator line, or whatever stands there
    expression *made = static_cast<expression *>(malloc(sizeof *made));
    if (made == nullptr) {
        if (left != nullptr) destroy_big_number(left);
        if (right != nullptr) destroy_big_number(right);
        return nullptr;
    }
    made->operation = operation_for(operator_byte);
    made->left = left;
    made->right = right;
    made->result = nullptr;
    return made;
}

void calculate_expression(expression *expression) {
    if (expression->left == nullptr || expression->right == nullptr) return;
    expression->result = signed_result(expression->operation, expression->left, expression->right);
    // With both operands there, only a failed allocation leaves the calculation without a result.
    if (expression->result == nullptr) note_allocation_failure();
}

void destroy_expression(expression *expression) {
    if (expression->left != nullptr) destroy_big_number(expression->left);
    if (expression->right != nullptr) destroy_big_number(expression->right);
    if (expression->result != nullptr) destroy_big_number(expression->result);
    free(expression);
}

} // namespace batch_calc
