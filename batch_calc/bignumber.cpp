// The number record of the calculator, its operand reader and the one reader of standard input.
#include "bignumber.hpp"

#include "calc_io.hpp"
#include "helpers.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace batch_calc {

namespace {
bool number_left_out = false; // an allocation failed and a calculation has no result for it
} // namespace

big_number *create_big_number(char *digits, int32_t length, int8_t is_negative) {
    BATCH_CALC_CHECK(digits != NULL);
    big_number *number = static_cast<big_number *>(malloc(sizeof *number));
    if (number == nullptr) {
        free(digits);
        number_left_out = true;
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

// Turns the stored characters into a record that keeps the line's block: a leading '-' is the
// sign, and the digits behind it are moved to the front without their leading zeros. No copy is
// made, so a line that fits in memory once is never lost for want of room for a second; the bytes
// the number does not use go back to the heap. The zero byte behind the characters is written
// here, once, rather than by zero-filling each growth of the line.
big_number *number_from_line(char *line, int32_t count) {
    line[count] = '\0';
    int8_t is_negative = line[0] == '-';
    int32_t length = remove_leading_zeroes(line, line + is_negative, count - is_negative);
    return create_big_number(shrink_to_text(line, length), length, is_negative);
}

// Reads and throws away the rest of a line, so that the stream stays aligned on its lines.
void skip_rest_of_line() {
    for (int byte = next_byte(); byte != '\n' && byte != EOF; byte = next_byte()) {
    }
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
            number_left_out = true;
            skip_rest_of_line();
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

void note_allocation_failure() {
    number_left_out = true;
}

bool allocation_failed() {
    return number_left_out;
}

namespace {

constexpr int no_byte = -2;
int given_back = no_byte; // the byte given back by unread_byte, or no_byte

} // namespace

int next_byte() {
    if (given_back != no_byte) {
        int byte = given_back;
        given_back = no_byte;
        return byte;
    }
    return calc_io::next_byte_folding_crlf(); // a lone CR is an ordinary byte
}

void unread_byte(int byte) {
    if (byte != EOF) given_back = byte;
}

void read_input_from(FILE *stream) {
    calc_io::read_standard_input(stream);
    given_back = no_byte;
}

} // namespace batch_calc
