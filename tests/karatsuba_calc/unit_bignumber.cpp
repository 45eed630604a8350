// Unit tests of the bignumber module: the rules of reading, stripping, carrying, borrowing, the
// sign tables and the Karatsuba recursion.
#include "bignumber.hpp"
#include "calc_io.hpp"
#include "parallel.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

using namespace karatsuba_calc;

namespace {

// A record holding the digits of `text` as written (leading zeros kept), sign from a leading "-".
SignedDigits *num(const std::string &text) {
    auto *n = static_cast<SignedDigits *>(malloc(sizeof(SignedDigits)));
    const bool negativo = !text.empty() && text[0] == '-';
    const std::string d = negativo ? text.substr(1) : text;
    n->size = static_cast<int32_t>(d.size());
    n->digits = static_cast<int16_t *>(malloc(d.size() * sizeof(int16_t) + 1));
    for (size_t i = 0; i < d.size(); ++i) n->digits[i] = static_cast<int16_t>(d[i] - '0');
    n->sign = negativo ? '-' : '+';
    return n;
}

// The digit array as text, leading zeros included.
std::string raw(const SignedDigits *n) {
    std::string s;
    for (int32_t i = 0; i < n->size; ++i) s += static_cast<char>('0' + n->digits[i]);
    return s;
}

// Runs f with standard output captured and returns what it wrote.
template <class F> std::string printed(F f) {
    testing::internal::CaptureStdout();
    f();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Makes standard input read `bytes`.
void feed(const std::string &bytes) {
    // One file per process: the release and sanitizer suites may run at once.
    const std::string path =
        testing::TempDir() + "karatsuba_calc_unit_stdin." + std::to_string(getpid());
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    ASSERT_NE(freopen(path.c_str(), "rb", stdin), nullptr);
    calc_io::read_standard_input();
    unlink(path.c_str()); // stays readable while open
}

// A record with no digit array yet, ready for a reader.
SignedDigits *blank() {
    auto *n = static_cast<SignedDigits *>(malloc(sizeof(SignedDigits)));
    *n = SignedDigits{0, nullptr, '+'};
    return n;
}

struct Read {
    bool complete;
    char sign;
    std::string digits;
};

Read read_line(const std::string &bytes) {
    feed(bytes);
    SignedDigits *n = blank();
    const bool ok = le_bignumber2(n);
    Read r{ok, n->sign, ok ? raw(n) : ""};
    free_bignumber(n);
    return r;
}

} // namespace

// ------------------------------------------------------------------ reading and printing

TEST(Reading, KeepsLeadingZerosAndReadsTheSign) {
    Read r = read_line("000123\n");
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.sign, '+');
    EXPECT_EQ(r.digits, "000123");
    r = read_line("-0\n");
    EXPECT_EQ(r.sign, '-');
    EXPECT_EQ(r.digits, "0");
}

TEST(Reading, GrowsPastTheFirstCapacityAndStopsAtTheNewline) {
    EXPECT_EQ(read_line("12345678901\n999\n").digits, "12345678901");
    const std::string longer(1000, '7');
    EXPECT_EQ(read_line(longer + "\n").digits, longer);
}

TEST(Reading, FirstByteGivenByTheCaller) {
    feed("23\n");
    SignedDigits *n = blank();
    EXPECT_TRUE(le_bignumber(n, '-'));
    EXPECT_EQ(n->sign, '-');
    EXPECT_EQ(raw(n), "23");
    free_bignumber(n);
}

TEST(Reading, StrayBytesAreIgnoredAndOnlyALeadingMinusIsASign) {
    EXPECT_EQ(read_line("+5\n").digits, "5");
    EXPECT_EQ(read_line("1 000\n").digits, "1000");
    const Read spaced = read_line(" -5\n");
    EXPECT_EQ(spaced.sign, '-');
    EXPECT_EQ(spaced.digits, "5");
    const Read inner = read_line("5-3\n");
    EXPECT_EQ(inner.sign, '+');
    EXPECT_EQ(inner.digits, "53");
    EXPECT_EQ(read_line("--7\n").digits, "7");
}

TEST(Reading, LineWithoutDigitsIsZero) {
    EXPECT_EQ(read_line("\n5\n").digits, "0");
    const Read minus = read_line("-\n");
    EXPECT_EQ(minus.sign, '-');
    EXPECT_EQ(minus.digits, "0");
}

TEST(Reading, CarriageReturnBeforeNewlineEndsTheLine) {
    feed("12\r\n34\r\n");
    SignedDigits *n = blank();
    EXPECT_TRUE(le_bignumber2(n));
    EXPECT_EQ(raw(n), "12");
    EXPECT_EQ(proximo_byte(), '3'); // the LF of the pair was taken with it
    free_bignumber(n);
    feed("a\rb\r\n");
    EXPECT_EQ(proximo_byte(), 'a');
    EXPECT_EQ(proximo_byte(), '\r'); // a lone CR is an ordinary byte
    EXPECT_EQ(proximo_byte(), 'b');
    EXPECT_EQ(proximo_byte(), '\n');
    EXPECT_EQ(proximo_byte(), EOF);
}

TEST(Reading, EndOfInputInsideTheLineIsReported) {
    EXPECT_FALSE(read_line("123").complete);
    EXPECT_FALSE(read_line("").complete);
    EXPECT_FALSE(read_line("12\r").complete);
}

TEST(Printing, SkipsLeadingZerosAndPrintsZeroOnce) {
    SignedDigits *a = num("000123"), *z = num("0000"), *big = num("1" + std::string(9000, '0'));
    EXPECT_EQ(printed([&] { imprime_bignumber(a); }), "123");
    EXPECT_EQ(printed([&] { imprime_bignumber(z); }), "0");
    EXPECT_EQ(printed([&] { imprime_bignumber(big); }), "1" + std::string(9000, '0'));
    free_bignumber(a), free_bignumber(z), free_bignumber(big);
}

// ------------------------------------------------------------------ magnitudes

TEST(Stripping, KeepsTheLastDigit) {
    SignedDigits *a = num("000123"), *z = num("0000"), *one = num("0");
    int16_t *before = one->digits;
    retirar_zeros_esquerda(a);
    retirar_zeros_esquerda(z);
    retirar_zeros_esquerda(one);
    EXPECT_EQ(raw(a), "123");
    EXPECT_EQ(raw(z), "0");
    EXPECT_EQ(one->digits, before);
    free_bignumber(a), free_bignumber(z), free_bignumber(one);
}

TEST(Comparison, LongerAfterStrippingThenFirstDifferingDigitThenFirstOnATie) {
    SignedDigits *a = num("0012"), *b = num("12"), *c = num("99"), *d = num("100");
    SignedDigits *e = num("123"), *f = num("124"), *g = num("0000099"), *h = num("0100");
    EXPECT_EQ(maior(a, b), a);
    EXPECT_EQ(raw(a), "12");
    EXPECT_EQ(maior(c, d), d);
    EXPECT_EQ(maior(e, f), f);
    EXPECT_EQ(maior(g, h), h);
    for (SignedDigits *n : {a, b, c, d, e, f, g, h}) free_bignumber(n);
}

TEST(Addition, CarryRipplesThroughNinesAndGrowsTheArray) {
    SignedDigits *five = num("5"), *nines = num("999"), *one = num("1"), *wide = num("99999");
    soma_bignumbers(five, five);
    EXPECT_EQ(raw(five), "10");
    soma_bignumbers(nines, one);
    EXPECT_EQ(raw(nines), "1000");
    soma_bignumbers(wide, one);
    EXPECT_EQ(raw(wide), "100000");
    for (SignedDigits *n : {five, nines, one, wide}) free_bignumber(n);
}

TEST(Addition, WithoutCarryOutTheArrayStays) {
    SignedDigits *a = num("1000"), *one = num("1"), *b = num("123"), *zero = num("0");
    int16_t *before = a->digits;
    soma_bignumbers(a, one);
    EXPECT_EQ(raw(a), "1001");
    EXPECT_EQ(a->digits, before);
    soma_bignumbers(b, zero);
    EXPECT_EQ(raw(b), "123");
    SignedDigits *padded = num("0099"), *x = num("1");
    soma_bignumbers(padded, x);
    EXPECT_EQ(raw(padded), "0100");
    for (SignedDigits *n : {a, one, b, zero, padded, x}) free_bignumber(n);
}

TEST(Subtraction, BorrowsOverZerosAndKeepsTheLength) {
    SignedDigits *a = num("1000"), *one = num("1");
    subtracao_bignumbers(a, one);
    EXPECT_EQ(raw(a), "0999");
    EXPECT_EQ(printed([&] { imprime_bignumber(a); }), "999");
    SignedDigits *b = num("1001"), *c = num("999");
    subtracao_bignumbers(b, c);
    EXPECT_EQ(raw(b), "0002");
    SignedDigits *d = num("100"), *e = num("100"), *f = num("5"), *g = num("5");
    subtracao_bignumbers(d, e);
    subtracao_bignumbers(f, g);
    EXPECT_EQ(raw(d), "000");
    EXPECT_EQ(raw(f), "0");
    SignedDigits *h = num("70000000"), *i = num("69999999");
    subtracao_bignumbers(h, i);
    EXPECT_EQ(raw(h), "00000001");
    for (SignedDigits *n : {a, one, b, c, d, e, f, g, h, i}) free_bignumber(n);
}

TEST(Swap, ExchangesMagnitudesButNotSigns) {
    SignedDigits *a = num("-12"), *b = num("345");
    swap_bignumbers(a, b);
    EXPECT_EQ(a->sign, '-');
    EXPECT_EQ(raw(a), "345");
    EXPECT_EQ(b->sign, '+');
    EXPECT_EQ(raw(b), "12");
    free_bignumber(a), free_bignumber(b);
}

// ------------------------------------------------------------------ sign tables

struct Row {
    const char *a, *b, *sum, *difference;
};

// One row per sign pair and larger operand, plus the zero results; sums and differences side by
// side.
const Row rows[] = {
    {"5", "3", "8", "2"},
    {"3", "5", "8", "-2"},
    {"5", "-3", "2", "8"},
    {"3", "-5", "-2", "8"},
    {"-5", "3", "-2", "-8"},
    {"-3", "5", "2", "-8"},
    {"-5", "-3", "-8", "-2"},
    {"-3", "-5", "-8", "2"},
    {"-5", "5", "0", "-10"},
    {"5", "-5", "0", "10"},
    {"-0", "-0", "0", "0"},
    {"-0", "0", "0", "0"},
    {"-5", "-5", "-10", "0"},
    {"007", "0003", "10", "4"},
    {"1000", "999", "1999", "1"},
    {"999", "1000", "1999", "-1"},
    {"-0005", "5", "0", "-10"},
    {"99999999999999999999", "1", "100000000000000000000", "99999999999999999998"},
};

TEST(SignTables, SumAndDifferenceOfEveryRow) {
    for (const Row &r : rows) {
        SignedDigits *a = num(r.a), *b = num(r.b);
        EXPECT_EQ(printed([&] { casos_operacao_soma(a, b); }), r.sum) << r.a << " + " << r.b;
        free_bignumber(a), free_bignumber(b);
        a = num(r.a), b = num(r.b);
        EXPECT_EQ(printed([&] { casos_operacao_subtracao(a, b); }), r.difference)
            << r.a << " - " << r.b;
        free_bignumber(a), free_bignumber(b);
    }
}

TEST(SignTables, ProductSignAndZero) {
    const char *cases[][3] = {
        {"-12", "-12", "144"},
        {"-12", "12", "-144"},
        {"12", "-12", "-144"},
        {"0", "-7", "0"},
        {"-0", "5", "0"},
        {"-3", "0", "0"},
        {"123456", "7", "864192"},
        {"0007", "0003", "21"},
        {"999", "999", "998001"},
        {"9999", "9999", "99980001"},
        {"12345", "67890", "838102050"},
    };
    for (auto &c : cases) {
        SignedDigits *a = num(c[0]), *b = num(c[1]);
        EXPECT_EQ(printed([&] { casos_operacao_multiplicacao(a, b); }), c[2])
            << c[0] << " * " << c[1];
        free_bignumber(a), free_bignumber(b);
    }
}

// ------------------------------------------------------------------ multiplication tools

TEST(Conversions, DigitCountFollowsTheValue) {
    const std::pair<int, const char *> values[] = {
        {0, "0"},       {9, "9"},         {10, "10"},        {999, "999"},
        {1000, "1000"}, {99999, "99999"}, {998001, "998001"}};
    for (auto &[v, text] : values) {
        SignedDigits *n = converter_int_em_bignumber(v);
        EXPECT_EQ(raw(n), text);
        free_bignumber(n);
    }
    SignedDigits *n = num("1204");
    EXPECT_EQ(converter_bignumber_em_int(n, 3, 3), 4);
    EXPECT_EQ(converter_bignumber_em_int(n, 1, 2), 20);
    EXPECT_EQ(converter_bignumber_em_int(n, 0, 2), 120);
    free_bignumber(n);
}

TEST(HalfSums, WidenOnlyWhenTheSumCarriesOut) {
    SignedDigits *n = num("9999"), *odd = num("12345"), *w = num("99999");
    SignedDigits *s = soma_para_karatsuba(n, 0, 1, 2, 3);
    EXPECT_EQ(raw(s), "198");
    free_bignumber(s);
    s = soma_para_karatsuba(odd, 0, 1, 2, 4); // high span one digit shorter
    EXPECT_EQ(raw(s), "357");
    free_bignumber(s);
    s = soma_para_karatsuba(w, 0, 1, 2, 4);
    EXPECT_EQ(raw(s), "1098");
    free_bignumber(s);
    s = soma_para_karatsuba(odd, 4, 3, 0, 3); // an empty high span
    EXPECT_EQ(raw(s), "1234");
    free_bignumber(s);
    s = soma_para_karatsuba(w, 0, 0, 1, 4); // a high span three digits shorter
    EXPECT_EQ(raw(s), "10008");
    free_bignumber(s);
    for (SignedDigits *x : {n, odd, w}) free_bignumber(x);
}

TEST(ShiftAndPadding, ValueTimesPowerOfTenAndLeadingZeros) {
    SignedDigits *a = num("12"), *b = num("7"), *c = num("345");
    left_shift(a, 3);
    EXPECT_EQ(raw(a), "12000");
    igualar_tamanho(a, b);
    EXPECT_EQ(raw(b), "00007");
    igualar_tamanho(c, a);
    EXPECT_EQ(raw(c), "00345");
    EXPECT_EQ(raw(a), "12000");
    for (SignedDigits *x : {a, b, c}) free_bignumber(x);
}

namespace {

long long reference_calls = 0;

bool zero_places(const SignedDigits *n, int first, int last) {
    for (int p = first; p <= last; ++p) {
        if (n->digits[p - 1] != 0) return false;
    }
    return true;
}

// The recursion built from the record tools alone, step by step (a span of zeros in either factor
// ends its step at once): the independent model that the scratch-memory multiplication must agree
// with, in value and in number of calls.
SignedDigits *reference(const SignedDigits *x, const SignedDigits *y, int fx, int lx, int fy,
                        int ly) {
    ++reference_calls;
    if (lx - fx <= 2 && ly - fy <= 2) {
        return converter_int_em_bignumber(converter_bignumber_em_int(x, fx - 1, lx - 1) *
                                          converter_bignumber_em_int(y, fy - 1, ly - 1));
    }
    if (zero_places(x, fx, lx) || zero_places(y, fy, ly)) return converter_int_em_bignumber(0);
    int mx = (fx + lx) / 2, my = (fy + ly) / 2;
    if ((lx - fx) % 2 == 0) --mx, --my;
    SignedDigits *z2 = reference(x, y, fx, mx, fy, my);
    SignedDigits *z0 = reference(x, y, mx + 1, lx, my + 1, ly);
    const int k = (ly - fy + 2) / 2;
    SignedDigits *s1 = soma_para_karatsuba(x, fx - 1, mx - 1, mx, lx - 1);
    SignedDigits *s2 = soma_para_karatsuba(y, fy - 1, my - 1, my, ly - 1);
    igualar_tamanho(s1, s2);
    SignedDigits *z1 = reference(s1, s2, 1, s1->size, 1, s2->size);
    igualar_tamanho(z1, z2);
    subtracao_bignumbers(z1, z2);
    subtracao_bignumbers(z1, z0);
    retirar_zeros_esquerda(z1);
    retirar_zeros_esquerda(z2);
    left_shift(z2, 2 * k);
    left_shift(z1, k);
    if (z2->size < z1->size) swap_bignumbers(z2, z1);
    soma_bignumbers(z2, z1);
    soma_bignumbers(z2, z0);
    for (SignedDigits *n : {s1, s2, z1, z0}) free_bignumber(n);
    return z2;
}

std::string stripped(SignedDigits *n) {
    retirar_zeros_esquerda(n);
    return raw(n);
}

} // namespace

TEST(Karatsuba, AgreesWithTheRecordLevelRecursionInValueAndCalls) {
    std::mt19937 rng(20261208);
    for (int len : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 31, 64, 99, 100, 257, 9000}) {
        for (int round = 0; round < 6; ++round) {
            std::string a, b;
            // Rounds 0 and 1 are all nines (every half sum widens), 2 and 3 mostly nines and
            // zeros (long carries and borrows), the rest uniform digits.
            auto digit = [&](int all_nines_rounds) {
                if (round < all_nines_rounds) return 9;
                if (round < 4) return rng() % 4 == 0 ? 0 : 9;
                return static_cast<int>(rng() % 10);
            };
            for (int i = 0; i < len; ++i) {
                a += static_cast<char>('0' + digit(2));
                b += static_cast<char>('0' + digit(1));
            }
            SignedDigits *x = num(a), *y = num(b);
            reference_calls = 0;
            SignedDigits *expected = reference(x, y, 1, len, 1, len);
            // Steps of 4,096 digits or more run their products on threads (on 2: two at a time;
            // on 4: three at once, then two), which must change neither a step nor a digit.
            for (unsigned threads : {1u, 2u, 4u}) {
                parallel::threads = threads;
                const long long before = karatsuba_chamadas();
                SignedDigits *got = karatsuba(x, y, 1, len, 1, len);
                EXPECT_EQ(karatsuba_chamadas() - before, reference_calls) << len << ", " << threads;
                EXPECT_EQ(stripped(got), stripped(expected)) << len << " digits, " << threads;
                free_bignumber(got);
            }
            parallel::threads = 1;
            // Places of 8 bits: every step's bound passes their quarter, and carries are settled.
            SignedDigits *narrow = karatsuba_lugares_de_8_bits(x, y, 1, len, 1, len);
            EXPECT_EQ(stripped(narrow), stripped(expected)) << a << " * " << b << " in 8 bits";
            for (SignedDigits *n : {x, y, expected, narrow}) free_bignumber(n);
        }
    }
}

TEST(Karatsuba, SpansInsideLongerNumbers) {
    SignedDigits *x = num("9912345"), *y = num("6789088");
    SignedDigits *p = karatsuba(x, y, 3, 7, 1, 5); // 12345 * 67890
    EXPECT_EQ(stripped(p), "838102050");
    free_bignumber(p), free_bignumber(x), free_bignumber(y);
}

TEST(Karatsuba, SquareOfAllNines) {
    for (int n : {4, 5, 13, 300}) {
        SignedDigits *x = num(std::string(n, '9'));
        SignedDigits *p = karatsuba(x, x, 1, n, 1, n);
        // (10^n - 1)^2 = 9...98 0...01
        EXPECT_EQ(stripped(p), std::string(n - 1, '9') + "8" + std::string(n - 1, '0') + "1");
        free_bignumber(p), free_bignumber(x);
    }
}

TEST(Karatsuba, ZeroSpanEndsItsStepWithoutRecursing) {
    struct Case {
        const char *x, *y, *product;
        long long calls;
    };
    // 0000 * 1234: one step. 00001234 * 56781234: the top step, one for the zero high product,
    // four each for 1234 * 1234 and for the half sums 1234 * 6912 (13 if 0000 * 5678 recursed).
    // The 20-digit row's zero span is in one factor only: one step for it, 13 for each of the
    // 10-digit products 1234567890 * 1234567890 and 1234567890 * 2469135780.
    for (const Case &c : {Case{"0000", "1234", "0", 1}, Case{"1234", "0000", "0", 1},
                          Case{"00001234", "56781234", "70068042756", 10},
                          Case{"00000000001234567890", "12345678901234567890",
                               "15241578751714678875019052100", 28}}) {
        SignedDigits *x = num(c.x), *y = num(c.y);
        const int len = x->size;
        const long long before = karatsuba_chamadas();
        SignedDigits *p = karatsuba(x, y, 1, len, 1, len);
        EXPECT_EQ(karatsuba_chamadas() - before, c.calls) << c.x << " * " << c.y;
        EXPECT_EQ(stripped(p), c.product) << c.x << " * " << c.y;
        free_bignumber(p), free_bignumber(x), free_bignumber(y);
    }
}

TEST(Lengths, PastThirtyTwoBitsTakeTheOutOfMemoryExit) {
    // Each call asks for a length the record's 32-bit size cannot hold; it must stop at that
    // check, before a digit is touched, rather than wrap around and run off the arrays.
    SignedDigits *n = num("5");
    const int big = (1 << 30) + 1; // a product of twice this many digits
    EXPECT_EXIT(left_shift(n, INT32_MAX), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(karatsuba(n, n, 1, big, 1, big), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(soma_para_karatsuba(n, 0, INT32_MAX - 1, 0, INT32_MAX - 1),
                testing::ExitedWithCode(1), "");
    free_bignumber(n);
}
