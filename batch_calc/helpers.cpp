// Text utilities shared by the operand reader and the arithmetic, and the program's internal check.
#include "helpers.hpp"

#include <cstdio>
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

int32_t remove_leading_zeroes(char *text, const char *from, int32_t length) {
    int32_t start = first_kept_index(from, length);
    int32_t kept = length - start;
    memmove(text, from + start, static_cast<size_t>(kept));
    text[kept] = '\0';
    return kept;
}

char *shrink_to_text(char *text, int32_t length) {
    char *shrunk = static_cast<char *>(realloc(text, static_cast<size_t>(length) + 1));
    return shrunk != nullptr ? shrunk : text;
}

void check_failed(const char *function, const char *condition) {
    fprintf(stderr, "batch_calc: check failed in %s: %s\n", function, condition);
    abort();
}

} // namespace batch_calc
