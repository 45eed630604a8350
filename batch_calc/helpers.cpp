// Text utilities shared by the operand reader and the arithmetic.
#include "helpers.hpp"

#include <cstdlib>
#include <cstring>

namespace batch_calc {

void reverse_string(char *text) {
    size_t length = strlen(text);
    for (size_t i = 0; i < length / 2; ++i) {
        char swapped = text[i];
        text[i] = text[length - 1 - i];
        text[length - 1 - i] = swapped;
    }
}

bool is_zero_string(const char *text, int32_t length) {
    return length == 1 && text[0] == '0';
}

bool is_nonzero_text(const char *text, int32_t length) {
    return length > 0 && !is_zero_string(text, length);
}

namespace {

// Index of the first character to keep: the first non-zero one, or the last of a run of zeros.
// text[0] is looked at even for length 0, where it is the terminating zero.
int32_t first_kept_index(const char *text, int32_t length) {
    if (text[0] != '0' || length <= 1) return 0;
    for (int32_t i = 1; i < length; ++i)
        if (text[i] != '0') return i;
    return length - 1;
}

} // namespace

char *remove_leading_zeroes(const char *text, int32_t length, int32_t *new_length) {
    int32_t start = first_kept_index(text, length);
    *new_length = length - start;
    // Every byte of the copy is written below, so it need not be zero-filled first.
    char *copy = static_cast<char *>(malloc(static_cast<size_t>(*new_length) + 1));
    if (copy == nullptr) return nullptr;
    memcpy(copy, text + start, static_cast<size_t>(*new_length));
    copy[*new_length] = '\0';
    return copy;
}

} // namespace batch_calc
