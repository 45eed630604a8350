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

// Index of the first character to keep: the first non-zero one, or the last of a run of zeros.
// text[0] is looked at even for length 0, where it is the terminating zero.
static int32_t first_kept_index(const char *text, int32_t length) {
    if (text[0] != '0' || length <= 1) return 0;
    for (int32_t i = 1; i < length; ++i)
        if (text[i] != '0') return i;
    return length - 1;
}

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

// Standard input is read a line (or a full block) at a time with fgets, which returns at every
// newline, so a run typed at a terminal still ends at its empty line. The bytes of the block that
// the last fill did not reach hold '\n'; that is how the zero fgets writes behind the data is told
// apart from zero bytes inside the data.
input_source standard_input;

namespace {

constexpr int block_size = input_source::block_size;
input_source &source = standard_input;

void start_reading(FILE *stream) {
    source.stream = stream;
    memset(source.block, '\n', block_size);
    source.next = 0;
    source.end = 0;
    source.ended = false;
    source.pushed_back = input_source::no_byte;
    source.ready = true;
}

// Number of bytes fgets has just stored, found from the first '\n' of the block: either the
// newline that ends the data (the terminating zero follows it) or the first untouched byte (the
// terminating zero precedes it).
int filled_length() {
    const void *newline = memchr(source.block, '\n', block_size);
    if (newline == nullptr) return block_size - 1;
    int at = static_cast<int>(static_cast<const char *>(newline) - source.block);
    if (at + 1 < block_size && source.block[at + 1] == '\0') return at + 1;
    return at - 1;
}

bool fill_block() {
    if (source.ended) return false;
    memset(source.block, '\n', static_cast<size_t>(source.end) + 1);
    source.next = 0;
    source.end = 0;
    if (fgets(source.block, block_size, source.stream) == nullptr) {
        source.ended = true;
        return false;
    }
    source.end = filled_length();
    return true;
}

int peek_raw_byte() {
    if (source.next == source.end && !fill_block()) return EOF;
    return static_cast<unsigned char>(source.block[source.next]);
}

} // namespace

int next_byte_slowly() {
    if (!source.ready) start_reading(stdin);
    if (source.pushed_back != input_source::no_byte) {
        int byte = source.pushed_back;
        source.pushed_back = input_source::no_byte;
        return byte;
    }
    int byte = peek_raw_byte();
    if (byte == EOF) return EOF;
    ++source.next;
    if (byte == '\r' && peek_raw_byte() == '\n') {
        ++source.next;
        return '\n';
    }
    return byte;
}

void unread_byte(int byte) {
    if (byte != EOF) source.pushed_back = byte;
}

void read_input_from(FILE *stream) {
    start_reading(stream);
}

} // namespace batch_calc
