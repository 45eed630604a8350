// The number record of the calculator, its operand reader and the one reader of standard input.
#pragma once

#include <cstdint>
#include <cstdio>

namespace batch_calc {

// A signed decimal integer. The record owns `digits`; destroy_big_number frees both.
struct big_number {
    char *digits;       // magnitude as digit characters, most significant first, no leading zeros
    int32_t length;     // number of characters in digits
    int8_t is_negative; // 1 when the number is negative, 0 otherwise
};

// Returns a new record taking ownership of `digits` (which must exist: checked); null when the
// record cannot be allocated, `digits` then being freed and the failure noted.
big_number *create_big_number(char *digits, int32_t length, int8_t is_negative);

// Reads one operand line: a leading '-' is the sign, digits are kept, every other byte is skipped.
// Returns a new record, or null for a line with nothing kept, end of input, or a failed allocation;
// a line whose buffer cannot grow is read to its end and thrown away, so the next line is read next.
big_number *read_big_number();

// Frees the digits of an existing record, then the record.
void destroy_big_number(big_number *number);

// Notes that an allocation failed and left a calculation without its result.
void note_allocation_failure();

// True once an allocation has failed and left a calculation without its result.
bool allocation_failed();

// The one reader of the calculation stream (calc_io): a byte given back by unread_byte, if any,
// then the stream's bytes, a CR LF pair folded into one '\n'; EOF once the stream has ended (at its
// end or at a failed read), for good. One byte at a time, so a terminal is never read past the
// current line.
int next_byte();

// Gives one byte back to next_byte, which returns it next; EOF is ignored.
void unread_byte(int byte);

// Makes next_byte read from `stream` from now on, forgetting a byte given back (for tests).
void read_input_from(FILE *stream);

} // namespace batch_calc
