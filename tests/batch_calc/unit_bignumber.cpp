#include "bignumber.hpp"
#include "test_input.hpp"

#include <gtest/gtest.h>

#include <string>

namespace batch_calc {
namespace {

// The next operand of the current input as "-digits" / "digits", or "none" when there is none.
std::string next_operand() {
    big_number *number = read_big_number();
    if (number == nullptr) return "none";
    EXPECT_EQ(number->length, static_cast<int32_t>(std::string(number->digits).size()));
    std::string shown = number->is_negative ? "-" : "";
    shown += number->digits;
    destroy_big_number(number);
    return shown;
}

struct read_case {
    const char *line;
    const char *read;
};

TEST(ReadBigNumber, LeadingZerosSignAndStrayBytes) {
    const read_case cases[] = {
        {"0005\n", "5"}, {"000\n", "0"},   {"-0\n", "-0"},    {"-007\n", "-7"},
        {"+5\n", "5"},   {"-\n", "-"},     {"123", "123"},    {" 1 2a3\r\n", "123"},
        {"--5\n", "-5"}, {"5-3\n", "53"},  {"x-4\n", "-4"},   {"12\r34\n", "1234"},
        {"\n", "none"},  {"\r\n", "none"}, {"abc\n", "none"}, {"", "none"},
    };
    for (const read_case &c : cases) {
        test_input input(c.line);
        EXPECT_EQ(next_operand(), c.read) << "line \"" << c.line << "\"";
    }
}

TEST(ReadBigNumber, ConsumesExactlyOneLine) {
    test_input input("1\n\n-2\n");
    EXPECT_EQ(next_operand(), "1");
    EXPECT_EQ(next_operand(), "none");
    EXPECT_EQ(next_operand(), "-2");
    EXPECT_EQ(next_operand(), "none");
}

TEST(ReadBigNumber, KeepsEveryDigitOfALongLine) {
    std::string digits;
    for (int i = 0; i < 300001; ++i) digits += static_cast<char>('0' + (i * 7 + 3) % 10);
    test_input input("-000" + digits + "\n");
    EXPECT_EQ(next_operand(), "-" + digits);
}

TEST(CreateBigNumberDeathTest, AMissingTextIsAFailedCheck) {
    EXPECT_DEATH(create_big_number(nullptr, 0, 0), "digits != NULL");
}

} // namespace
} // namespace batch_calc
