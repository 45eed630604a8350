// The number record of the calculator, its operand reader and the one reader of standard input.
#include "bignumber.hpp"

#include "helpers.hpp"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace batch_calc {

big_number *create_big_number(char *digits, int32_t length, int8_t is_negative) {
    assert(digits != NULL);
    big_number *number = static_cast<big_number *>(malloc(sizeof *number));
    if (number == nullptr) {
        free(digits);
        return nullptr;
    }
    number->digits = digits;
    number->length = length;
    number->is_negative = is_negative;
    return number;
}

namespace {

// Only digits are stored, and a '-' only before anything else has been stored.
bool is_stored(int byte, int32_t count) {
    return (byte >= '0' && byte <= '9') || (byte == '-' && count == 0);
}

// Doubles the line buffer; false when it cannot grow. It starts at 64 bytes rather than 2: an
// operand of a few dozen digits then needs no reallocation, and the buffer lives only while its
// line is read. The capacity stops at the largest 32-bit length, so a count never overflows.
bool grow_line(char **line, int32_t *capacity) {
    constexpr int32_t first_capacity = 64;
    int32_t grown = *capacity == 0              ? first_capacity
                    : *capacity > INT32_MAX / 2 ? INT32_MAX
                                                : *capacity * 2;
    if (grown == *capacity) return false;
    char *resized = static_cast<char *>(realloc(*line, static_cast<size_t>(grown)));
    if (resized == nullptr) return false;
    *line = resized;
    *capacity = grown;
    return true;
}

// Turns the stored characters into a record and frees the line. A leading '-' is the sign; the
// digits behind it are trimmed in place rather than moved first. The zero byte behind the
// characters is written here, once, rather than by zero-filling each growth of the line.
big_number *number_from_line(char *line, int32_t count) {
    line[count] = '\0';
    int8_t is_negative = line[0] == '-';
    int32_t trimmed_length = 0;
    char *trimmed = remove_leading_zeroes(line + is_negative, count - is_negative, &trimmed_length);
    free(line);
    return create_big_number(trimmed, trimmed_length, is_negative);
}

} // namespace

big_number *read_big_number() {
    char *line = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;
    for (int byte = next_byte(); byte != '\n' && byte != EOF; byte = next_byte()) {
        if (!is_stored(byte, count)) continue;
        if (count + 1 >= capacity && !grow_line(&line, &capacity)) {
            free(line);
            return nullptr;
        }
        line[count++] = static_cast<char>(byte);
    }
    if (count == 0) {
        free(line);
        return nullptr;
    }
    return number_from_line(line, count);
}

void destroy_big_number(big_number *number) {
    free(number->digits);
    free(number);
}

input_source standard_input = {stdin, input_source::no_byte};

namespace {

// The byte held back: a byte given back is returned once, EOF for good.
int take_pushed_back() {
    int byte = standard_input.pushed_back;
    if (byte != EOF) standard_input.pushed_back = input_source::no_byte;
    return byte;
}

// After a CR: a LF behind it is folded into the CR's place as one newline; any other byte stays
// in the stream (a lone CR is an ordinary byte).
int after_cr(FILE *stream) {
    int byte = getc_unlocked(stream);
    if (byte == '\n') return '\n';
    if (byte != EOF) ungetc(byte, stream);
    return '\r';
}

} // namespace

int next_byte_slowly(int byte) {
    if (byte == input_source::no_byte) return take_pushed_back();
    if (byte == '\r') return after_cr(standard_input.stream);
    // The end of the input (or a read error) is final: the stream is not asked again.
    standard_input.pushed_back = EOF;
    return EOF;
}

void unread_byte(int byte) {
    if (byte != EOF) standard_input.pushed_back = byte;
}

bool input_failed() {
    return ferror(standard_input.stream) != 0;
}

void read_input_from(FILE *stream) {
    standard_input.stream = stream;
    standard_input.pushed_back = input_source::no_byte;
}

} // namespace batch_calc
