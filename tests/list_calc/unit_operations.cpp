#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "Operations.hpp"
#include "listas.hpp"

namespace list_calc {
namespace {
using teste::linhaDe;
using teste::operando;

std::string calcula(const std::string &a, const std::string &b, char op) {
    return linhaDe(ChamaOperacao(operando(a), operando(b), op));
}

// One row of the result table each: operator, signs as read, magnitudes.
TEST(ChamaOperacao, AdditionRows) {
    EXPECT_EQ(calcula("-12", "-5", '+'), "-17"); // equal signs
    EXPECT_EQ(calcula("12", "-5", '+'), "7");    // different, |a| > |b|
    EXPECT_EQ(calcula("-5", "12", '+'), "7");    // different, |a| < |b|: b's sign
    EXPECT_EQ(calcula("-5", "5", '+'), "0");     // different, equal
}

TEST(ChamaOperacao, SubtractionRows) {
    EXPECT_EQ(calcula("5", "-5", '-'), "10"); // different signs: a's sign
    EXPECT_EQ(calcula("-1", "1", '-'), "-2");
    EXPECT_EQ(calcula("-99", "-1", '-'), "-98"); // equal, |a| > |b|: a's sign
    EXPECT_EQ(calcula("3", "5", '-'), "-2");     // equal, |a| < |b|: opposite of a's
    EXPECT_EQ(calcula("-3", "-5", '-'), "2");
    EXPECT_EQ(calcula("-5", "-5", '-'), "0"); // equal magnitudes
    EXPECT_EQ(calcula("000", "0", '-'), "0");
    EXPECT_EQ(calcula("-0", "0", '-'), "0"); // a zero sum is not negative
}

TEST(ChamaOperacao, MultiplicationRow) {
    EXPECT_EQ(calcula("-3", "4", '*'), "-12");
    EXPECT_EQ(calcula("-3", "-4", '*'), "12");
    EXPECT_EQ(calcula("0", "-4", '*'), "0");
}

TEST(ChamaOperacao, AnyOtherOperatorAdds) {
    EXPECT_EQ(calcula("2", "-3", '/'), "-1");
}

__extension__ typedef __int128 i128;
__extension__ typedef unsigned __int128 u128;

std::string decimal(i128 v) {
    if (v == 0) return "0";
    bool negative = v < 0;
    u128 m = negative ? -static_cast<u128>(v) : v;
    std::string out;
    for (; m != 0; m /= 10) out.insert(out.begin(), static_cast<char>('0' + m % 10));
    return negative ? out.insert(0, 1, '-') : out;
}

// Random operands of up to 18 digits (with leading zeros and signed zeros) against native
// 128-bit arithmetic.
TEST(ChamaOperacao, AgreesWithNativeArithmetic) {
    const char *setting = std::getenv("CALC_SEED");
    const std::uint64_t seed = setting != nullptr ? std::strtoull(setting, nullptr, 10) : 20261208;
    SCOPED_TRACE("seed " + std::to_string(seed) +
                 " (replay with CALC_SEED=" + std::to_string(seed) + ")");
    std::mt19937_64 rng(seed);
    for (int i = 0; i < 3000; ++i) {
        std::string text[2];
        i128 value[2];
        for (int k = 0; k < 2; ++k) {
            int digits = 1 + static_cast<int>(rng() % 18);
            int64_t magnitude = 0;
            for (int d = 0; d < digits; ++d) {
                int digit = (rng() % 3 == 0) ? 0 : static_cast<int>(rng() % 10);
                magnitude = magnitude * 10 + digit;
                text[k] += static_cast<char>('0' + digit);
            }
            bool negative = rng() % 2 == 0;
            if (negative) text[k].insert(0, 1, '-');
            value[k] = negative ? -magnitude : magnitude;
        }
        const char op = "+-*"[rng() % 3];
        i128 expected = op == '+'   ? value[0] + value[1]
                        : op == '-' ? value[0] - value[1]
                                    : value[0] * value[1];
        ASSERT_EQ(calcula(text[0], text[1], op), decimal(expected))
            << text[0] << ' ' << op << ' ' << text[1];
    }
}

} // namespace
} // namespace list_calc
