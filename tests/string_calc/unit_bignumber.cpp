#include "bigNumber.hpp"
#include "calc_io.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

using namespace string_calc;

namespace {

struct Release {
    void operator()(NumberText *n) const { liberaMemoria(n); }
};
using Text = std::unique_ptr<NumberText, Release>;

// A scratch file that stands in for standard input; removed when the tests end.
struct ScratchInput {
    std::string path;
    ScratchInput() {
        char name[] = "/tmp/string_calc_unitXXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path = name;
    }
    ~ScratchInput() { std::remove(path.c_str()); }
};

// Makes standard input read exactly these bytes.
void feedStdin(const std::string &bytes) {
    static ScratchInput input;
    FILE *f = std::fopen(input.path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ASSERT_NE(std::freopen(input.path.c_str(), "rb", stdin), nullptr);
    calc_io::read_standard_input();
}

Text readLine(const std::string &line) {
    feedStdin(line);
    return Text(readNumber());
}

// A record holding exactly these characters, as the functions under test see them.
Text raw(const std::string &chars, int negative = 0) {
    auto *n = static_cast<NumberText *>(std::malloc(sizeof(NumberText)));
    n->digits = static_cast<char *>(std::malloc(chars.size() + 1));
    std::memcpy(n->digits, chars.c_str(), chars.size() + 1);
    n->length = chars.size();
    n->negative = negative;
    return Text(n);
}

// An operand as the reader leaves it: decimal digits written the usual way, stored reversed.
Text operand(const std::string &decimal) {
    return raw(std::string(decimal.rbegin(), decimal.rend()));
}

std::string digitsOf(const Text &n) {
    return std::string(n->digits, n->length);
}

// Runs one whole calculation through the reader and the dispatcher.
std::string calculate(const std::string &a, const std::string &b, const std::string &op) {
    feedStdin(a + "\n" + b + "\n" + op);
    Text x(readNumber()), y(readNumber());
    Text r(verificaOperacao(x.get(), y.get()));
    return r ? digitsOf(r) : "(none)";
}

} // namespace

TEST(Reading, SignZerosAndOrder) {
    Text n = readLine("-000120\n");
    EXPECT_EQ(digitsOf(n), "021");
    EXPECT_EQ(n->negative, 1);
    for (const char *zero : {"\n", "-\n", "-000\n", "0000\n"}) {
        Text z = readLine(zero);
        EXPECT_EQ(digitsOf(z), "0") << zero;
        EXPECT_EQ(z->negative, zero[0] == '-') << zero;
    }
}

TEST(Reading, OnlyDigitsAndALeadingMinusAreKept) {
    const char *cases[][3] = {{"+5\n", "5", "0"},    {"1 000\n", "0001", "0"},
                              {"--5\n", "5", "1"},   {"5-3\n", "35", "0"},
                              {"x-0y7\n", "7", "1"}, {"1\r2\n", "21", "0"},
                              {"12\r\n", "21", "0"}, {"\t-9\r\n", "9", "1"}};
    for (auto &c : cases) {
        Text n = readLine(c[0]);
        EXPECT_EQ(digitsOf(n), c[1]) << c[0];
        EXPECT_EQ(n->negative, c[2][0] - '0') << c[0];
    }
    Text withNul = readLine(std::string("1\0002\n", 4));
    EXPECT_EQ(digitsOf(withNul), "21");
}

TEST(Reading, LinesAcrossEveryBufferGrowthKeepAllDigits) {
    for (size_t len : {48, 49, 50, 51, 62, 63, 64, 78, 79, 80, 10000}) {
        std::string decimal(len, '7');
        decimal[0] = '1';
        Text n = readLine("-" + decimal + "\n");
        EXPECT_EQ(digitsOf(n), std::string(decimal.rbegin(), decimal.rend())) << len;
    }
}

TEST(Reading, EndOfInputInsideALineDropsIt) {
    EXPECT_EQ(readLine("123"), nullptr);
    EXPECT_EQ(readLine(""), nullptr);
    EXPECT_TRUE(inputEnded());
}

TEST(Reading, AReadErrorEndsTheInputInsteadOfFillingTheLine) {
    ASSERT_NE(std::freopen("/", "rb", stdin), nullptr); // reading a directory fails at once
    calc_io::read_standard_input();
    EXPECT_EQ(Text(readNumber()), nullptr);
    EXPECT_TRUE(inputEnded());
}

TEST(Reading, CarriageReturnFoldsOnlyBeforeLineFeed) {
    feedStdin("\r\r\nx\r");
    EXPECT_EQ(nextByte(), '\r');
    EXPECT_EQ(nextByte(), '\n');
    EXPECT_EQ(nextByte(), 'x');
    EXPECT_FALSE(inputEnded());
    EXPECT_EQ(nextByte(), '\r');
    EXPECT_EQ(nextByte(), EOF);
    EXPECT_TRUE(inputEnded());
}

TEST(Records, RemoveZerosFromTheFront) {
    const char *cases[][2] = {{"000120", "120"}, {"000", "0"}, {"", "0"}, {"5", "5"}};
    for (auto &c : cases) {
        Text n = raw(c[0]);
        removeZeros(n.get(), 0);
        EXPECT_EQ(digitsOf(n), c[1]) << c[0];
        EXPECT_EQ(std::strlen(n->digits), n->length);
    }
}

TEST(Records, RemoveZerosFromTheEndInAnyOtherMode) {
    const char *cases[][2] = {
        {"021000", "021"}, {"0000", "0"}, {"", "0"}, {"100", "1"}, {"7", "7"}};
    for (int mode : {1, -1, 7}) {
        for (auto &c : cases) {
            Text n = raw(c[0]);
            removeZeros(n.get(), mode);
            EXPECT_EQ(digitsOf(n), c[1]) << c[0] << " mode " << mode;
        }
    }
}

TEST(Records, InvertFollowsTheTerminatorNotTheLength) {
    Text n = raw("12345");
    n->digits[2] = '\0';
    invertNumber(n.get());
    EXPECT_STREQ(n->digits, "21");
    EXPECT_EQ(n->digits[3], '4');
}

TEST(Records, AllocationFailureEndsWithStatusOne) {
    EXPECT_EXIT(verificaAlocacao(nullptr), testing::ExitedWithCode(1), "");
}

TEST(Magnitudes, ComparisonByLengthThenFromTheTop) {
    const char *cases[][3] = {{"9", "10", "-1"},     {"100", "99", "1"},    {"1234", "1243", "-1"},
                              {"1243", "1234", "1"}, {"5005", "5005", "0"}, {"0", "0", "0"}};
    for (auto &c : cases) {
        Text a = operand(c[0]), b = operand(c[1]);
        EXPECT_EQ(compararNumeros(a.get(), b.get()), std::atoi(c[2])) << c[0] << " vs " << c[1];
        EXPECT_STREQ(a->digits, c[0]); // left most significant first
        EXPECT_EQ(findBiggest(a.get(), b.get()), std::max(a->length, b->length));
    }
}

TEST(Magnitudes, CarriesAndBorrowsRippleThroughWholeRuns) {
    auto sumOf = [](const char *a, const char *b) {
        return digitsOf(Text(sum(operand(a).get(), operand(b).get())));
    };
    auto differenceOf = [](const char *a, const char *b) {
        return digitsOf(Text(subtract(operand(a).get(), operand(b).get())));
    };
    auto productOf = [](const char *a, const char *b) {
        return digitsOf(Text(multiply(operand(a).get(), operand(b).get())));
    };
    EXPECT_EQ(sumOf("999", "1"), "1000");
    EXPECT_EQ(sumOf("1", "99999999"), "100000000");
    EXPECT_EQ(sumOf("0", "0"), "0");
    EXPECT_EQ(differenceOf("1000", "1"), "999");
    EXPECT_EQ(differenceOf("100000", "99999"), "1");
    EXPECT_EQ(differenceOf("5005", "5005"), "0");
    EXPECT_EQ(productOf("99", "99"), "9801");
    EXPECT_EQ(productOf("999", "999"), "998001");
    EXPECT_EQ(productOf("9", "9999"), "89991");
    EXPECT_EQ(productOf("100", "10"), "1000");
    EXPECT_EQ(productOf("0", "123"), "0");
}

TEST(Magnitudes, AgreeWithNativeArithmeticOnRandomOperands) {
    __extension__ typedef unsigned __int128 Wide;
    auto decimal = [](Wide v) {
        std::string s;
        do s.insert(s.begin(), char('0' + int(v % 10)));
        while ((v /= 10) != 0);
        return s;
    };
    const char *fromEnvironment = std::getenv("CALC_SEED");
    const unsigned long long seed =
        fromEnvironment ? std::strtoull(fromEnvironment, nullptr, 10) : 20261208ULL;
    std::mt19937_64 rng(seed);
    for (int i = 0; i < 3000; ++i) {
        uint64_t x = rng() >> (rng() % 64), y = rng() >> (rng() % 64);
        if (x < y) std::swap(x, y);
        Text a = operand(std::to_string(x)), b = operand(std::to_string(y));
        ASSERT_EQ(digitsOf(Text(sum(a.get(), b.get()))), decimal(Wide(x) + y)) << "seed " << seed;
        ASSERT_EQ(digitsOf(Text(subtract(a.get(), b.get()))), decimal(x - y)) << "seed " << seed;
        ASSERT_EQ(digitsOf(Text(multiply(a.get(), b.get()))), decimal(Wide(x) * y))
            << "seed " << seed;
    }
}

TEST(Dispatch, EveryRowOfTheSignTable) {
    // a, b, operator, result: one line per row, with both sides of each comparison.
    const char *rows[][4] = {
        {"5", "3", "+", "8"},    {"3", "-5", "+", "-2"},      {"5", "-3", "+", "2"},
        {"5", "-5", "+", "0"},   {"-5", "-3", "+", "-8"},     {"-3", "5", "+", "2"},
        {"-5", "3", "+", "-2"},  {"-5", "5", "+", "0"},       {"3", "5", "-", "-2"},
        {"5", "3", "-", "2"},    {"5", "5", "-", "0"},        {"5", "-3", "-", "8"},
        {"-5", "3", "-", "-8"},  {"-3", "-5", "-", "2"},      {"-5", "-3", "-", "-2"},
        {"-5", "-5", "-", "0"},  {"0", "-7", "*", "0"},       {"-7", "0", "*", "0"},
        {"-0", "-0", "*", "0"},  {"3", "4", "*", "12"},       {"3", "-4", "*", "-12"},
        {"-3", "4", "*", "-12"}, {"-3", "-4", "*", "12"},     {"-0", "-0", "+", "0"},
        {"-0", "5", "-", "-5"},  {"-007", "-0010", "*", "70"}};
    for (auto &r : rows) EXPECT_EQ(calculate(r[0], r[1], r[2]), r[3]) << r[0] << r[2] << r[1];
}

TEST(Dispatch, OperandsComeBackLeastSignificantFirst) {
    feedStdin("-120\n34\n-");
    Text a(readNumber()), b(readNumber());
    Text r(verificaOperacao(a.get(), b.get()));
    EXPECT_STREQ(r->digits, "-154");
    EXPECT_EQ(r->length, 4u);
    EXPECT_EQ(r->negative, 1);
    EXPECT_EQ(digitsOf(a), "021");
    EXPECT_EQ(digitsOf(b), "43");
}

TEST(Dispatch, NoResultWithoutAnOperator) {
    for (const char *op : {"x", "\n", " ", "/"}) {
        EXPECT_EQ(calculate("1", "2", op), "(none)") << op;
        EXPECT_FALSE(inputEnded());
    }
    EXPECT_EQ(calculate("1", "2", ""), "(none)");
    EXPECT_TRUE(inputEnded());
}
