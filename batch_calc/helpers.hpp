// Text utilities shared by the operand reader and the arithmetic, and the program's internal check.
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

// Writes the `length` characters at `from` without leading zeros (all zeros keep one "0") to the
// front of `text`, which `from` lies in, and ends them with a zero byte; returns their number.
// from[0] is looked at even for length 0, so it must be a byte of the text.
int32_t remove_leading_zeroes(char *text, const char *from, int32_t length);

// Gives a heap text's bytes behind its `length` characters and zero byte back to the heap. Returns
// the text, moved or not; when it cannot shrink, the whole block, which holds the same text.
char *shrink_to_text(char *text, int32_t length);

// A failed internal check: writes "batch_calc: check failed in <function>: <condition>" on
// standard error and aborts. It names no source file, and is active in every build type.
[[noreturn]] void check_failed(const char *function, const char *condition);

} // namespace batch_calc

#define BATCH_CALC_CHECK(condition)                                                                \
    ((condition) ? void(0) : batch_calc::check_failed(__func__, #condition))
