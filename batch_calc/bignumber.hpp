// The number record of the calculator and its reader.
#pragma once

#include <cstdint>

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

} // namespace batch_calc
