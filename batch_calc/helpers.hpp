// Text utilities shared by the operand reader and the arithmetic.
#pragma once

#include <cstdint>

namespace batch_calc {

// Reverses the characters of a zero-terminated text in place.
void reverse_string(char *text);

// True when the text is exactly "0": length 1 and first character '0'.
bool is_zero_string(const char *text, int32_t length);

// True when a trimmed text is a number other than zero, the only kind that takes a sign: neither
// "0" nor the empty text of an operand written as "-" alone.
bool is_nonzero_text(const char *text, int32_t length);

// Returns a new zero-terminated heap copy of the first `length` characters without leading zeros
// (all zeros keep one "0"), stores its length in *new_length; null when the copy cannot be made.
char *remove_leading_zeroes(const char *text, int32_t length, int32_t *new_length);

} // namespace batch_calc
