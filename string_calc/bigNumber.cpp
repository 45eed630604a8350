// Number strings of string_calc: input, records, arithmetic on magnitudes and the sign dispatch.
#include "bigNumber.hpp"

#include "calc_io.hpp"
#include "digit_product.hpp"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace string_calc {

// Lengths are 64-bit and so are object sizes: a length, the sum of two lengths or a length plus
// a terminator and a carry never wraps, since each length counts the bytes of a live buffer.
static_assert(sizeof(std::size_t) >= sizeof(uint64_t), "lengths must fit an allocation size");

// ---- Input ----

namespace {
bool endSeen = false;
} // namespace

// Every byte comes from the calculation stream of calc_io, which ends for good at its end or at a
// failed read: nothing is read after either.
int nextByte() {
    int c = calc_io::next_byte_folding_crlf(); // a lone CR is an ordinary byte
    endSeen = c == EOF;
    return c;
}

bool inputEnded() {
    return endSeen;
}

int endOfRun() {
    return calc_io::end_of_run();
}

// ---- Records ----

namespace {

// A new record with an uninitialised buffer of the given size; zero length, not negative.
NumberText *newText(uint64_t bytes) {
    auto *n = static_cast<NumberText *>(std::malloc(sizeof(NumberText)));
    verificaAlocacao(n);
    n->digits = static_cast<char *>(std::malloc(bytes));
    verificaAlocacao(n->digits);
    n->length = 0;
    n->negative = 0;
    return n;
}

// Makes n the number "0" in a 2-byte buffer.
void becomeZero(NumberText *n) {
    auto *zero = static_cast<char *>(std::realloc(n->digits, 2));
    verificaAlocacao(zero);
    zero[0] = '0';
    zero[1] = '\0';
    n->digits = zero;
    n->length = 1;
}

// Only digits are kept, and a "-" only as the first kept byte; anything else is noise on the line.
bool keepsByte(int c, uint64_t kept) {
    return (c >= '0' && c <= '9') || (c == '-' && kept == 0);
}

// Grows the buffer when the next character would take the terminator's place.
void makeRoom(NumberText *n, uint64_t *capacity) {
    if (n->length != *capacity - 1) return;
    *capacity += *capacity / 4 + 1;
    auto *grown = static_cast<char *>(std::realloc(n->digits, *capacity));
    verificaAlocacao(grown);
    n->digits = grown;
}

} // namespace

NumberText *readNumber() {
    uint64_t capacity = 50;
    NumberText *n = newText(capacity);
    for (int c = nextByte(); c != '\n'; c = nextByte()) {
        if (c == EOF) {
            liberaMemoria(n);
            return nullptr;
        }
        if (!keepsByte(c, n->length)) continue;
        makeRoom(n, &capacity);
        n->digits[n->length++] = static_cast<char>(c);
    }
    n->digits[n->length] = '\0';
    verificaSinais(n);
    removeZeros(n, 0);
    invertNumber(n);
    return n;
}

void verificaSinais(NumberText *n) {
    n->negative = n->digits[0] == '-';
    if (!n->negative) return;
    std::memmove(n->digits, n->digits + 1, n->length - 1);
    n->digits[n->length - 1] = '\0';
    n->length -= 1;
}

void removeZeros(NumberText *n, int mode) {
    if (mode == 0) {
        uint64_t k = std::strspn(n->digits, "0");
        if (k == n->length) {
            becomeZero(n);
        } else {
            std::memmove(n->digits, n->digits + k, n->length - k + 1);
            n->length -= k;
        }
        return;
    }
    uint64_t kept = n->length;
    while (kept > 0 && n->digits[kept - 1] == '0') --kept;
    if (kept == 0) {
        becomeZero(n);
    } else {
        n->digits[kept] = '\0';
        n->length = kept;
    }
}

void invertNumber(NumberText *n) {
    uint64_t len = std::strlen(n->digits);
    for (uint64_t i = 0; i < len / 2; ++i) {
        char t = n->digits[i];
        n->digits[i] = n->digits[len - 1 - i];
        n->digits[len - 1 - i] = t;
    }
}

void liberaMemoria(NumberText *n) {
    if (n == nullptr) return;
    std::free(n->digits);
    std::free(n);
}

void verificaAlocacao(void *p) {
    if (p != nullptr) return;
    std::puts("Erro ao alocar memória");
    std::exit(1);
}

// ---- Magnitudes ----

namespace {

int digitValue(char c) {
    return c - '0';
}

char digitChar(int v) {
    return static_cast<char>('0' + v);
}

// Adds the columns [from, to) of the longer operand alone, with the carry so far.
int carryThrough(const char *longer, char *out, uint64_t from, uint64_t to, int carry) {
    for (uint64_t i = from; i < to; ++i) {
        int s = digitValue(longer[i]) + carry;
        out[i] = digitChar(s % 10);
        carry = s / 10;
    }
    return carry;
}

// Subtracts the borrow alone from the columns [from, to) of a.
void borrowThrough(const char *a, char *out, uint64_t from, uint64_t to, int borrow) {
    for (uint64_t i = from; i < to; ++i) {
        int d = digitValue(a[i]) - borrow;
        borrow = d < 0;
        out[i] = digitChar(d + 10 * borrow);
    }
}

// Turns a least-significant-first column result into a most-significant-first one without
// leading zeros.
NumberText *finishColumns(NumberText *r) {
    r->length = std::strlen(r->digits);
    invertNumber(r);
    removeZeros(r, 0);
    return r;
}

} // namespace

uint64_t findBiggest(const NumberText *a, const NumberText *b) {
    return a->length > b->length ? a->length : b->length;
}

int compararNumeros(NumberText *a, NumberText *b) {
    invertNumber(a);
    invertNumber(b);
    if (a->length != b->length) return a->length < b->length ? -1 : 1;
    for (uint64_t i = 0; i < a->length; ++i) {
        if (a->digits[i] != b->digits[i]) return a->digits[i] > b->digits[i] ? 1 : -1;
    }
    return 0;
}

NumberText *sum(const NumberText *a, const NumberText *b) {
    uint64_t n = findBiggest(a, b);
    const NumberText *shorter = a->length < b->length ? a : b;
    const NumberText *longer = shorter == a ? b : a;
    NumberText *r = newText(n + 2);
    int carry = 0;
    for (uint64_t i = 0; i < shorter->length; ++i) {
        int s = digitValue(a->digits[i]) + digitValue(b->digits[i]) + carry;
        r->digits[i] = digitChar(s % 10);
        carry = s / 10;
    }
    carry = carryThrough(longer->digits, r->digits, shorter->length, n, carry);
    uint64_t end = n;
    if (carry > 0) r->digits[end++] = '1';
    r->digits[end] = '\0';
    return finishColumns(r);
}

NumberText *subtract(const NumberText *a, const NumberText *b) {
    uint64_t n = findBiggest(a, b);
    NumberText *r = newText(n + 2);
    int borrow = 0;
    for (uint64_t i = 0; i < b->length; ++i) {
        int d = digitValue(a->digits[i]) - digitValue(b->digits[i]) - borrow;
        borrow = d < 0;
        r->digits[i] = digitChar(d + 10 * borrow);
    }
    borrowThrough(a->digits, r->digits, b->length, n, borrow);
    r->digits[n] = '\0';
    return finishColumns(r);
}

// The digit products are summed by column and each column's carry is settled once
// (digit_product.hpp), not row by row; the product's digits are the same.
NumberText *multiply(const NumberText *a, const NumberText *b) {
    uint64_t n = a->length + b->length;
    NumberText *r = newText(n + 2);
    auto *scratch =
        static_cast<uint8_t *>(std::malloc(digit_product::scratch_bytes(a->length, b->length)));
    verificaAlocacao(scratch);
    digit_product::multiply(reinterpret_cast<const uint8_t *>(a->digits), a->length,
                            reinterpret_cast<const uint8_t *>(b->digits), b->length, '0', scratch,
                            reinterpret_cast<uint8_t *>(r->digits));
    std::free(scratch);
    r->digits[n] = '\0';
    r->length = n;
    removeZeros(r, 1);
    invertNumber(r);
    return r;
}

// ---- Signs and dispatch ----

namespace {

// What one row of the dispatch table does: an operation on the magnitudes and the result's sign.
enum Operation { SUM_AB, SUBTRACT_AB, SUBTRACT_BA, MULTIPLY_AB, ZERO };
struct Row {
    Operation operation;
    int negative;
};

// The rows of "+" for the signs na, nb and the comparison c of |a| with |b|.
Row plusRow(int na, int nb, int c) {
    if (!na && !nb) return {SUM_AB, 0};
    if (!na && nb && c == -1) return {SUBTRACT_BA, 1};
    if (!na && nb) return {SUBTRACT_AB, 0};
    if (na && nb) return {SUM_AB, 1};
    if (na && !nb && c == -1) return {SUBTRACT_BA, 0};
    return {SUBTRACT_AB, 1}; // na && !nb, c 0 or 1
}

// The rows of "-", read like plusRow.
Row minusRow(int na, int nb, int c) {
    if (!na && !nb && c == -1) return {SUBTRACT_BA, 1};
    if (!na && !nb) return {SUBTRACT_AB, 0};
    if (!na && nb) return {SUM_AB, 0};
    if (na && !nb) return {SUM_AB, 1};
    if (na && nb && c == -1) return {SUBTRACT_BA, 0};
    return {SUBTRACT_AB, 1}; // na && nb, c 0 or 1
}

// The rows of "*"; anyZero tells whether either operand is exactly "0".
Row timesRow(int na, int nb, bool anyZero) {
    if (anyZero) return {ZERO, 0};
    if (!na && !nb) return {MULTIPLY_AB, 0};
    if (!na && nb) return {MULTIPLY_AB, 1};
    if (na && !nb) return {MULTIPLY_AB, 1};
    return {MULTIPLY_AB, 0}; // na && nb
}

bool isZero(const NumberText *n) {
    return std::strcmp(n->digits, "0") == 0;
}

NumberText *run(Operation operation, const NumberText *a, const NumberText *b) {
    switch (operation) {
    case SUM_AB:
        return sum(a, b);
    case SUBTRACT_AB:
        return subtract(a, b);
    case SUBTRACT_BA:
        return subtract(b, a);
    case MULTIPLY_AB:
        return multiply(a, b);
    case ZERO:
        break;
    }
    NumberText *zero = newText(2);
    becomeZero(zero);
    return zero;
}

} // namespace

void resultadoNegativo(NumberText *r) {
    // A result that loses its "-" would be a wrong answer printed as a right one, so a failed
    // allocation here ends the run like every other.
    auto *signed_digits = static_cast<char *>(std::malloc(r->length + 2));
    verificaAlocacao(signed_digits);
    signed_digits[0] = '-';
    std::strcpy(signed_digits + 1, r->digits);
    std::free(r->digits);
    r->digits = signed_digits;
    r->length += 1;
}

NumberText *verificaOperacao(NumberText *a, NumberText *b) {
    int op = nextByte();
    if (op != '+' && op != '-' && op != '*') {
        if (op != EOF) calc_io::report_current_line(calc_io::expected_operator);
        return nullptr;
    }
    int c = compararNumeros(a, b);
    invertNumber(a);
    invertNumber(b);
    int na = a->negative, nb = b->negative;
    Row row = op == '+'   ? plusRow(na, nb, c)
              : op == '-' ? minusRow(na, nb, c)
                          : timesRow(na, nb, isZero(a) || isZero(b));
    NumberText *r = run(row.operation, a, b);
    if (row.negative && !isZero(r)) {
        r->negative = 1;
        resultadoNegativo(r);
    }
    return r;
}

} // namespace string_calc
