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

// The one reader of standard input: the bytes of the last fill of `block`, a byte given back,
// and where to read more. Only the functions below use it.
struct input_source {
    static constexpr int block_size = 1 << 16;
    static constexpr int no_byte = -2;
    FILE *stream;           // where bytes come from
    char block[block_size]; // the bytes of the last fill, then its terminating zero, then '\n's
    int next;               // index of the next unread byte of the block
    int end;                // number of bytes the last fill placed in the block
    bool ended;             // the stream reported end of input or an error
    int pushed_back;        // the byte given back by unread_byte, or no_byte
    bool ready;             // the fields above have been set up
};
extern input_source standard_input;

// next_byte for every case the inline part below does not take.
int next_byte_slowly();

// Returns the next byte of standard input (EOF at its end), a CR LF pair folded into one '\n'.
inline int next_byte() {
    input_source &in = standard_input;
    if (in.next < in.end && in.pushed_back == input_source::no_byte && in.block[in.next] != '\r')
        return static_cast<unsigned char>(in.block[in.next++]);
    return next_byte_slowly();
}

// Gives one byte back to next_byte, which returns it next; EOF is ignored.
void unread_byte(int byte);

// Makes next_byte read from `stream` from now on, forgetting anything read ahead (for tests).
void read_input_from(FILE *stream);

} // namespace batch_calc
