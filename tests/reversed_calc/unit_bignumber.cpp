#include "bignumber.hpp"
#include "calc_io.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace reversed_calc;

namespace {

// Makes `bytes` the whole of standard input.
void feed(const std::string &bytes) {
    std::string path = testing::TempDir() + "reversed_calc_unit_input";
    FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    ASSERT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
    calc_io::read_standard_input();
}

// A record in text state, as the reader leaves it.
ReversedNumber *text_number(char sign, const char *text) {
    auto *number = static_cast<ReversedNumber *>(std::malloc(sizeof(ReversedNumber)));
    number->sign = sign;
    number->digits = static_cast<char *>(std::malloc(std::strlen(text) + 1));
    std::strcpy(number->digits, text);
    number->length = static_cast<int>(std::strlen(text));
    return number;
}

// A prepared operand from a decimal literal such as "-120" or "0".
ReversedNumber *prepared(const std::string &literal) {
    char sign = literal[0] == '-' ? '-' : '+';
    std::string magnitude = literal.substr(literal[0] == '-' ? 1 : 0);
    magnitude.erase(0, magnitude.find_first_not_of('0'));
    ReversedNumber *number = text_number(sign, magnitude.c_str());
    reverse_and_add_zero(number);
    get_char_decimals(number);
    return number;
}

std::vector<int> values(const ReversedNumber *number) {
    return std::vector<int>(number->digits, number->digits + number->length);
}

std::string printed(const ReversedNumber *number) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    print_reversed_bignumber(number);
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Runs choose_operation the way the driver does and returns the printed result line.
std::string calculate(const std::string &left, char op, const std::string &right) {
    ReversedNumber *a = prepared(left);
    ReversedNumber *b = prepared(right);
    ReversedNumber *longer, *shorter, *greater, *lesser, *result = nullptr;
    compare_sizes(a, b, &longer, &shorter);
    compare_values(a, b, &greater, &lesser);
    choose_operation(op, a, b, &longer, &shorter, &greater, &lesser, &result);
    std::string line = result ? printed(result) : "(unset)";
    if (op == '*') free_bignumber(result);
    free_bignumber(a);
    free_bignumber(b);
    return line;
}

} // namespace

// ---- Reading an operand line ----

// Sign and text of one operand line: leading zeros skipped, stray bytes ignored without
// ending the leading zeros, a sign only as the first meaningful byte, CR LF as one newline.
TEST(Reader, SignAndTextOfAnOperandLine) {
    struct Row {
        const char *line;
        char sign;
        const char *text;
    } rows[] = {
        {"+0005\n", '+', "5"},   {"-1000200\n", '-', "1000200"},
        {"\n", '+', ""},         {"-\n", '-', ""},
        {"+\n", '+', ""},        {"0000\n", '+', ""},
        {"-0\n", '-', ""},       {" x-0a1-2+3\n", '-', "123"},
        {"0x05\n", '+', "5"},    {"1-2\n", '+', "12"},
        {"1\r2\r\n", '+', "12"}, {"\r\r\n", '+', ""},
    };
    for (const Row &row : rows) {
        feed(row.line);
        ReversedNumber *n = init_bignumber();
        ASSERT_NE(n, nullptr) << row.line;
        EXPECT_EQ(n->sign, row.sign) << row.line;
        EXPECT_STREQ(n->digits, row.text) << row.line;
        EXPECT_EQ(n->length, static_cast<int>(std::strlen(row.text))) << row.line;
        free_bignumber(n);
    }
}

TEST(Reader, CrLfEndsTheLineOnlyOnce) {
    feed("7\r\n\r\n");
    ReversedNumber *first = init_bignumber();
    ReversedNumber *second = init_bignumber();
    EXPECT_STREQ(first->digits, "7");
    EXPECT_STREQ(second->digits, ""); // the second CR LF is an empty line of its own
    EXPECT_EQ(init_bignumber(), nullptr);
    free_bignumber(first);
    free_bignumber(second);
}

TEST(Reader, EndOfInputBeforeTheNewlineGivesNoRecord) {
    for (const char *cut : {"", "12", "-", "-0", "x"}) {
        feed(cut);
        EXPECT_EQ(init_bignumber(), nullptr) << cut;
    }
}

TEST(Reader, LongLineSurvivesBufferGrowth) {
    std::string digits(100000, '7');
    digits[0] = '1';
    feed("00" + digits + "\n");
    ReversedNumber *n = init_bignumber();
    EXPECT_EQ(n->length, 100000);
    EXPECT_EQ(std::string(n->digits), digits);
    free_bignumber(n);
}

TEST(Reader, OperatorTakesOneByteAndDiscardsTheNext) {
    feed("*x9\n-");
    char *op = read_char();
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(*op, '*');
    std::free(op);
    EXPECT_EQ(next_byte(), '9');
    EXPECT_EQ(next_byte(), '\n');
    op = read_char(); // operator without its newline at the very end
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(*op, '-');
    std::free(op);
    EXPECT_EQ(read_char(), nullptr);
}

// ---- Preparing and printing ----

TEST(Prepare, ReversesAndPutsTheGuardDigitOnTop) {
    ReversedNumber *n = text_number('+', "120");
    reverse_and_add_zero(n);
    EXPECT_EQ(std::string(n->digits, 4), "0210");
    get_char_decimals(n);
    EXPECT_EQ(values(n), (std::vector<int>{0, 2, 1, 0}));
    free_bignumber(n);
    n = prepared("0"); // zero is the guard digit alone
    EXPECT_EQ(values(n), (std::vector<int>{0}));
    free_bignumber(n);
}

TEST(Prepare, ReverseStringHandlesOddEvenAndShortRanges) {
    char text[] = "abcdef";
    reverse_string(text, 0, 5);
    EXPECT_STREQ(text, "edcbaf");
    reverse_string(text, 1, 5);
    EXPECT_STREQ(text, "eabcdf");
    reverse_string(text, 2, 3);
    reverse_string(text, 4, 4);
    EXPECT_STREQ(text, "eabcdf");
}

TEST(Print, SkipsZerosAboveTheTopDigitAndNeverPrintsMinusZero) {
    ReversedNumber *n = prepared("-120");
    n->digits = static_cast<char *>(std::realloc(n->digits, 8));
    std::memset(n->digits + 4, 0, 4);
    n->length = 8;
    EXPECT_EQ(printed(n), "-120\n");
    std::memset(n->digits, 0, 8);
    EXPECT_EQ(printed(n), "0\n");
    n->length = 0;
    EXPECT_EQ(printed(n), "0\n");
    free_bignumber(n);
}

TEST(Print, LongNumberCrossesTheOutputBlock) {
    std::string digits = "9" + std::string(9000, '0') + "1";
    ReversedNumber *n = prepared(digits);
    EXPECT_EQ(printed(n), digits + "\n");
    free_bignumber(n);
}

// ---- Orderings ----

TEST(CompareValues, EverySignPair) {
    struct Row {
        const char *a, *b;
        bool a_greater;
    } rows[] = {
        {"5", "-7", true},   {"-7", "5", false},   {"12", "9", true},   {"9", "12", false},
        {"45", "54", false}, {"-12", "-9", false}, {"-9", "-12", true}, {"-54", "-45", false},
        {"0", "-0", true},   {"-0", "0", false},
    };
    for (const Row &row : rows) {
        ReversedNumber *a = prepared(row.a);
        ReversedNumber *b = prepared(row.b);
        ReversedNumber *greater, *lesser;
        compare_values(a, b, &greater, &lesser);
        EXPECT_EQ(greater, row.a_greater ? a : b) << row.a << " vs " << row.b;
        EXPECT_EQ(lesser, row.a_greater ? b : a) << row.a << " vs " << row.b;
        free_bignumber(a);
        free_bignumber(b);
    }
}

TEST(CompareValues, EqualValuesNameTheFirstOperandTwice) {
    for (const char *literal : {"305", "-305", "0"}) {
        ReversedNumber *a = prepared(literal);
        ReversedNumber *b = prepared(literal);
        ReversedNumber *greater, *lesser;
        compare_values(a, b, &greater, &lesser);
        EXPECT_EQ(greater, a);
        EXPECT_EQ(lesser, a);
        free_bignumber(a);
        free_bignumber(b);
    }
}

TEST(CompareSizes, TiesGoToTheFirstOperand) {
    ReversedNumber *a = prepared("12");
    ReversedNumber *b = prepared("-99");
    ReversedNumber *c = prepared("100");
    ReversedNumber *longer, *shorter;
    compare_sizes(a, b, &longer, &shorter);
    EXPECT_EQ(longer, a);
    EXPECT_EQ(shorter, b);
    compare_sizes(b, c, &longer, &shorter);
    EXPECT_EQ(longer, c);
    EXPECT_EQ(shorter, b);
    free_bignumber(a);
    free_bignumber(b);
    free_bignumber(c);
}

// ---- Magnitude operations ----

TEST(Add, CarryRipplesThroughNinesIntoTheGuardDigit) {
    ReversedNumber *x = prepared("9999");
    ReversedNumber *y = prepared("1");
    ReversedNumber *result = nullptr;
    add_bignumbers(x, y, &result);
    EXPECT_EQ(result, x);
    EXPECT_EQ(values(x), (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(y->length, 2); // the shorter operand's buffer grew, its length did not
    EXPECT_EQ(values(y), (std::vector<int>{1, 0}));
    free_bignumber(x);
    free_bignumber(y);
}

TEST(Subtract, BorrowRunsOverZeros) {
    ReversedNumber *x = prepared("100000");
    ReversedNumber *y = prepared("1");
    ReversedNumber *result = nullptr;
    subtract_bignumbers(x, y, &result);
    EXPECT_EQ(result, x);
    EXPECT_EQ(printed(x), "99999\n");
    free_bignumber(x);
    free_bignumber(y);
}

TEST(Subtract, ARecordFromItselfBecomesZero) {
    ReversedNumber *x = prepared("-4070");
    ReversedNumber *result = nullptr;
    subtract_bignumbers(x, x, &result);
    EXPECT_EQ(result, x);
    EXPECT_EQ(values(x), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(printed(x), "0\n");
    free_bignumber(x);
}

TEST(Multiply, RowCarriesLandInFreshPositions) {
    ReversedNumber *x = prepared("999");
    ReversedNumber *y = prepared("-9999");
    ReversedNumber *product = nullptr;
    multiply_bignumbers(x, y, &product);
    ASSERT_NE(product, nullptr);
    EXPECT_NE(product, x);
    EXPECT_EQ(product->length, x->length + y->length);
    EXPECT_EQ(product->sign, '-');
    EXPECT_EQ(printed(product), "-9989001\n");
    EXPECT_EQ(printed(x), "999\n"); // the factors are left alone
    free_bignumber(product);
    free_bignumber(x);
    free_bignumber(y);
}

// ---- The operation table ----

// One or more rows of the table per sign pair: each magnitude order, lengths in both orders,
// equal magnitudes (which must print a plain zero) and carries or borrows across the top digit.
TEST(ChooseOperation, EveryRowOfTheTable) {
    struct Row {
        const char *a;
        char op;
        const char *b, *expected;
    } rows[] = {
        {"99", '+', "1", "100"},     {"12", '+', "3456", "3468"},  {"3456", '+', "12", "3468"},
        {"-8", '+', "-5", "-13"},    {"-999", '+', "-1", "-1000"}, {"3", '+', "-5", "-2"},
        {"5", '+', "-3", "2"},       {"-3", '+', "5", "2"},        {"-5", '+', "3", "-2"},
        {"-1000", '+', "1", "-999"}, {"5", '+', "-5", "0"},        {"-5", '+', "5", "0"},
        {"-0", '+', "-0", "0"},      {"3", '-', "5", "-2"},        {"5", '-', "3", "2"},
        {"7", '-', "7", "0"},        {"12", '-', "3456", "-3444"}, {"-3", '-', "-5", "2"},
        {"-5", '-', "-3", "-2"},     {"-7", '-', "-7", "0"},       {"3", '-', "-5", "8"},
        {"1", '-', "-999", "1000"},  {"-3", '-', "5", "-8"},       {"-12", '-', "3456", "-3468"},
        {"-0", '-', "0", "0"},       {"0", '*', "-3", "0"},        {"-3", '*', "-4", "12"},
        {"3", '*', "-4", "-12"},     {"99", '*', "99", "9801"},    {"-10", '*', "1000", "-10000"},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(calculate(row.a, row.op, row.b), std::string(row.expected) + "\n")
            << row.a << ' ' << row.op << ' ' << row.b;
    }
}

TEST(ChooseOperation, EqualValuesSubtractTheFirstOperandFromItself) {
    ReversedNumber *a = prepared("7");
    ReversedNumber *b = prepared("7");
    ReversedNumber *longer, *shorter, *greater, *lesser, *result = nullptr;
    compare_sizes(a, b, &longer, &shorter);
    compare_values(a, b, &greater, &lesser);
    choose_operation('-', a, b, &longer, &shorter, &greater, &lesser, &result);
    EXPECT_EQ(result, a);
    EXPECT_EQ(values(a), (std::vector<int>{0, 0}));
    EXPECT_EQ(values(b), (std::vector<int>{7, 0}));
    free_bignumber(a);
    free_bignumber(b);
}

TEST(ChooseOperation, UnknownOperatorLeavesResultAndOperandsAlone) {
    ReversedNumber *a = prepared("-3");
    ReversedNumber *b = prepared("4");
    ReversedNumber *longer, *shorter, *greater, *lesser, *result = nullptr;
    compare_sizes(a, b, &longer, &shorter);
    compare_values(a, b, &greater, &lesser);
    choose_operation('/', a, b, &longer, &shorter, &greater, &lesser, &result);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(a->sign, '-');
    EXPECT_EQ(printed(a), "-3\n");
    EXPECT_EQ(printed(b), "4\n");
    free_bignumber(a);
    free_bignumber(b);
}

// Every sign pair and operator against native arithmetic on operands of up to 18 digits.
TEST(ChooseOperation, AgreesWithNativeArithmetic) {
    const char *from_environment = std::getenv("CALC_SEED");
    const unsigned long long seed =
        from_environment ? std::strtoull(from_environment, nullptr, 10) : 20261208ULL;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    auto operand = [&random] {
        int digits = static_cast<int>(random() % 9) + 1;
        long long value = static_cast<long long>(random() % 1000000000ULL);
        for (int i = 9; i > digits; --i) value /= 10;
        return random() % 2 ? -value : value;
    };
    for (int round = 0; round < 3000; ++round) {
        long long a = operand();
        long long b = operand();
        const char op = "+-*"[round % 3];
        long long expected = op == '+' ? a + b : op == '-' ? a - b : a * b;
        ASSERT_EQ(calculate(std::to_string(a), op, std::to_string(b)),
                  std::to_string(expected) + "\n")
            << a << ' ' << op << ' ' << b;
    }
}
