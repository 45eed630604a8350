// Reversed numbers of reversed_calc: records, input, preparing and printing, and the arithmetic.
#include "bignumber.hpp"

#include "calc_io.hpp"
#include "digit_product.hpp"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace reversed_calc {

// ---- Records and the failure path ----

namespace {

void *allocate(std::size_t size) {
    void *block = std::malloc(size);
    if (!block) out_of_memory();
    return block;
}

char *reallocate(char *block, std::size_t size) {
    void *moved = std::realloc(block, size);
    if (!moved) out_of_memory();
    return static_cast<char *>(moved);
}

ReversedNumber *new_record(char sign, char *digits, int length) {
    auto *number = static_cast<ReversedNumber *>(allocate(sizeof(ReversedNumber)));
    number->sign = sign;
    number->digits = digits;
    number->length = length;
    return number;
}

} // namespace

void free_bignumber(ReversedNumber *number) {
    if (!number) return;
    std::free(number->digits);
    std::free(number);
}

void out_of_memory() {
    std::exit(EXIT_FAILURE);
}

// ---- Input ----

namespace {

// Longest operand text accepted. With the guard digit an operand has at most INT_MAX / 2
// positions, so the length of a product (the sum of two lengths) still fits in an int.
constexpr std::size_t kMaxDigits = INT_MAX / 2 - 1;

// No byte is held back by unread_byte (EOF itself can be held).
constexpr int kNoByte = -2;
int held_byte = kNoByte;

bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// A byte that means nothing at the start of an operand line and is skipped there.
bool is_stray(int c) {
    return c != EOF && c != '\n' && c != '+' && c != '-' && !is_digit(c);
}

} // namespace

int next_byte() {
    if (held_byte != kNoByte) {
        int c = held_byte;
        held_byte = kNoByte;
        return c;
    }
    return calc_io::next_byte_folding_crlf(); // a lone CR is an ordinary byte
}

void unread_byte(int c) {
    held_byte = c;
}

char *read_string() {
    // The buffer doubles instead of growing by one byte per character: per-byte growth
    // makes reading a multi-megabyte operand several times slower, and the size of the
    // buffer is not visible outside. It is trimmed to the text at the end.
    std::size_t capacity = 64;
    std::size_t count = 0;
    auto *text = static_cast<char *>(allocate(capacity));
    bool leading = true;
    for (int c = next_byte(); c != '\n'; c = next_byte()) {
        if (c == EOF) {
            std::free(text);
            return nullptr;
        }
        if (!is_digit(c) || (c == '0' && leading)) continue;
        if (count == kMaxDigits) out_of_memory();
        if (count + 1 == capacity) {
            capacity = capacity > kMaxDigits / 2 ? kMaxDigits + 1 : capacity * 2;
            text = reallocate(text, capacity);
        }
        text[count++] = static_cast<char>(c);
        leading = false;
    }
    text = reallocate(text, count + 1);
    text[count] = '\0';
    return text;
}

ReversedNumber *init_bignumber() {
    int c = next_byte();
    while (is_stray(c)) c = next_byte();
    char sign = '+';
    if (c == '+' || c == '-') {
        sign = static_cast<char>(c);
    } else {
        unread_byte(c);
    }
    char *text = read_string();
    if (!text) return nullptr;
    return new_record(sign, text, static_cast<int>(std::strlen(text)));
}

char *read_char() {
    int op = next_byte();
    if (op == EOF) return nullptr;
    if (op != '+' && op != '-' && op != '*') // named before the next byte moves the line on
        calc_io::report_current_line(calc_io::expected_operator);
    auto *buffer = static_cast<char *>(allocate(1));
    buffer[0] = static_cast<char>(op);
    next_byte(); // the newline of the operator line, or whatever stands there
    return buffer;
}

// ---- Preparing and printing ----

void reverse_string(char *buffer, int start, int end) {
    for (int i = start, j = end - 1; i < j; ++i, --j) {
        char swapped = buffer[i];
        buffer[i] = buffer[j];
        buffer[j] = swapped;
    }
}

void reverse_and_add_zero(ReversedNumber *number) {
    reverse_string(number->digits, 0, number->length);
    number->digits = reallocate(number->digits, static_cast<std::size_t>(number->length) + 1);
    number->digits[number->length] = '0';
    number->length += 1;
}

void get_char_decimals(ReversedNumber *number) {
    for (int i = 0; i < number->length; ++i) number->digits[i] -= '0';
}

void print_reversed_bignumber(const ReversedNumber *number) {
    int top = number->length - 1;
    while (top >= 0 && number->digits[top] == 0) --top;
    if (top < 0) {
        std::puts("0");
        return;
    }
    if (number->sign == '-') std::putchar('-');
    // Digits go out through a small local block rather than one call per digit: the same
    // bytes, written many times faster for long numbers.
    char block[4096];
    std::size_t used = 0;
    for (int i = top; i >= 0; --i) {
        block[used++] = static_cast<char>('0' + number->digits[i]);
        if (used == sizeof block) {
            std::fwrite(block, 1, used, stdout);
            used = 0;
        }
    }
    std::fwrite(block, 1, used, stdout);
    std::putchar('\n');
}

// ---- Arithmetic on prepared operands ----

namespace {

// Sign of |a| - |b| for prepared operands without leading zeros: length first, then the
// digit values from the top position down.
int compare_magnitudes(const ReversedNumber *a, const ReversedNumber *b) {
    if (a->length != b->length) return a->length > b->length ? 1 : -1;
    for (int i = a->length - 1; i >= 0; --i) {
        if (a->digits[i] != b->digits[i]) return a->digits[i] > b->digits[i] ? 1 : -1;
    }
    return 0;
}

// Gives y's buffer `length` positions, the new ones 0; y's length stays as it was.
void widen(ReversedNumber *y, int length) {
    if (y->length >= length) return;
    y->digits = reallocate(y->digits, static_cast<std::size_t>(length));
    std::memset(y->digits + y->length, 0, static_cast<std::size_t>(length - y->length));
}

} // namespace

void compare_sizes(ReversedNumber *a, ReversedNumber *b, ReversedNumber **longer,
                   ReversedNumber **shorter) {
    bool a_longer = a->length >= b->length;
    *longer = a_longer ? a : b;
    *shorter = a_longer ? b : a;
}

void compare_values(ReversedNumber *a, ReversedNumber *b, ReversedNumber **greater,
                    ReversedNumber **lesser) {
    int order = 0; // sign of a - b
    if (a->sign != b->sign) {
        order = a->sign == '+' ? 1 : -1;
    } else if (a->sign == '+') {
        order = compare_magnitudes(a, b);
    } else {
        order = -compare_magnitudes(a, b);
    }
    *greater = order >= 0 ? a : b;
    *lesser = order > 0 ? b : a;
}

void add_bignumbers(ReversedNumber *x, ReversedNumber *y, ReversedNumber **result) {
    widen(y, x->length);
    int carry = 0; // x is the longer operand: its guard digit takes the last carry
    for (int i = 0; i < x->length; ++i) {
        int sum = x->digits[i] + y->digits[i] + carry;
        carry = sum >= 10 ? 1 : 0;
        x->digits[i] = static_cast<char>(sum - 10 * carry);
    }
    *result = x;
}

void subtract_bignumbers(ReversedNumber *x, ReversedNumber *y, ReversedNumber **result) {
    widen(y, x->length);
    int borrow = 0;
    for (int i = 0; i < x->length; ++i) {
        int difference = x->digits[i] - y->digits[i] - borrow;
        borrow = difference < 0 ? 1 : 0;
        x->digits[i] = static_cast<char>(difference + 10 * borrow);
    }
    *result = x;
}

// The digit products are summed by column and each column's carry is settled once
// (digit_product.hpp), not row by row; the positions and digits of the product are the same.
void multiply_bignumbers(const ReversedNumber *x, const ReversedNumber *y,
                         ReversedNumber **result) {
    const auto lx = static_cast<std::size_t>(x->length), ly = static_cast<std::size_t>(y->length);
    auto *scratch = static_cast<uint8_t *>(allocate(digit_product::scratch_bytes(lx, ly)));
    auto *digits = static_cast<char *>(allocate(lx + ly));
    digit_product::multiply(reinterpret_cast<const uint8_t *>(x->digits), lx,
                            reinterpret_cast<const uint8_t *>(y->digits), ly, 0, scratch,
                            reinterpret_cast<uint8_t *>(digits));
    std::free(scratch);
    *result = new_record(x->sign == y->sign ? '+' : '-', digits, static_cast<int>(lx + ly));
}

// ---- Sign cases ----

namespace {

// |longer| + |shorter| into longer, which becomes the result with the given sign.
void add_signed(ReversedNumber *longer, ReversedNumber *shorter, char sign,
                ReversedNumber **result) {
    add_bignumbers(longer, shorter, result);
    (*result)->sign = sign;
}

// Both operands now "+": the smaller magnitude is taken from the larger (a when they are
// equal). The result is positive when the larger one is `positive`, the operand that was
// positive before its partner's sign was cleared.
void subtract_by_magnitude(ReversedNumber *a, ReversedNumber *b, const ReversedNumber *positive,
                           ReversedNumber **result) {
    ReversedNumber *larger = nullptr;
    ReversedNumber *smaller = nullptr;
    compare_values(a, b, &larger, &smaller);
    subtract_bignumbers(larger, smaller, result);
    (*result)->sign = larger == positive ? '+' : '-';
}

} // namespace

void choose_operation(char op, ReversedNumber *a, ReversedNumber *b, ReversedNumber **longer,
                      ReversedNumber **shorter, ReversedNumber **greater, ReversedNumber **lesser,
                      ReversedNumber **result) {
    const char sa = a->sign;
    const char sb = b->sign;
    if (op == '+' && sa == '+' && sb == '+') {
        add_signed(*longer, *shorter, '+', result);
    } else if (op == '+' && sa == '-' && sb == '-') {
        a->sign = b->sign = '+';
        add_signed(*longer, *shorter, '-', result);
    } else if (op == '+' && sa == '+' && sb == '-') {
        b->sign = '+';
        subtract_by_magnitude(a, b, *greater, result);
    } else if (op == '+' && sa == '-' && sb == '+') {
        a->sign = '+';
        subtract_by_magnitude(a, b, *greater, result);
    } else if (op == '-' && sa == '+' && sb == '+') {
        subtract_bignumbers(*greater, *lesser, result);
        (*result)->sign = *greater == a ? '+' : '-';
    } else if (op == '-' && sa == '-' && sb == '-') {
        a->sign = b->sign = '+';
        compare_values(a, b, greater, lesser);
        subtract_bignumbers(*greater, *lesser, result);
        (*result)->sign = *greater == b ? '+' : '-';
    } else if (op == '-' && sa == '+' && sb == '-') {
        compare_sizes(a, b, longer, shorter);
        b->sign = '+';
        add_signed(*longer, *shorter, '+', result);
    } else if (op == '-' && sa == '-' && sb == '+') {
        compare_sizes(a, b, longer, shorter);
        a->sign = '+';
        add_signed(*longer, *shorter, '-', result);
    } else if (op == '*') {
        multiply_bignumbers(a, b, result);
    }
}

} // namespace reversed_calc
