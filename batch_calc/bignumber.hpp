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
// record cannot be allocated, `digits` then being freed.
big_number *create_big_number(char *digits, int32_t length, int8_t is_negative);

// Reads one operand line: a leading '-' is the sign, digits are kept, every other byte is skipped.
// Returns a new record, or null for a line with nothing kept, end of input, or a failed allocation.
big_number *read_big_number();

// Frees the digits of an existing record, then the record.
void destroy_big_number(big_number *number);

// Where every byte of the input comes from. Only the functions below use it.
struct input_source {
    static constexpr int no_byte = -2;
    FILE *stream;    // standard input, or a test's file
    int pushed_back; // the byte given back by unread_byte, EOF once the input has ended, or no_byte
};
extern input_source standard_input;

// next_byte when the stream gave a CR or EOF, or (`byte` no_byte) when a byte is held back.
int next_byte_slowly(int byte);

// Returns the next byte of standard input (EOF at its end, which stays the end), a CR LF pair
// folded into one '\n'. One byte at a time, so a terminal is never read past the current line.
inline int next_byte() {
    input_source &in = standard_input;
    if (in.pushed_back != input_source::no_byte) return next_byte_slowly(input_source::no_byte);
    int byte = getc_unlocked(in.stream);
    if (byte == '\r' || byte == EOF) return next_byte_slowly(byte);
    return byte;
}

// Gives one byte back to next_byte, which returns it next; EOF is ignored.
void unread_byte(int byte);

// True when standard input failed to be read (its end then came early), not merely ended.
bool input_failed();

// Makes next_byte read from `stream` from now on, forgetting a byte given back (for tests).
void read_input_from(FILE *stream);

} // namespace batch_calc
