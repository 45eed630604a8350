// Text utilities shared by the reader and the arithmetic, and the one reader of standard input.
#pragma once

#include <cstdint>
#include <cstdio>

namespace batch_calc {

// Reverses the characters of a zero-terminated text in place.
void reverse_string(char *text);

// True when the text is exactly "0": length 1 and first character '0'.
bool is_zero_string(const char *text, int32_t length);

// Returns a new zero-terminated heap copy of the first `length` characters without leading zeros
// (all zeros keep one "0"), stores its length in *new_length; null when the copy cannot be made.
char *remove_leading_zeroes(const char *text, int32_t length, int32_t *new_length);

// Returns the next byte of standard input (EOF at its end), a CR LF pair folded into one '\n'.
int next_byte();

// Gives one byte back to next_byte, which returns it next; EOF is ignored.
void unread_byte(int byte);

// Makes next_byte read from `stream` from now on, forgetting anything read ahead (for tests).
void read_input_from(FILE *stream);

} // namespace batch_calc
