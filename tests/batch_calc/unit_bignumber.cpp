// Unit tests of the number record, the operand reader and the byte reader.
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

std::string all_bytes() {
    std::string read;
    for (int byte = next_byte(); byte != EOF; byte = next_byte()) read += static_cast<char>(byte);
    return read;
}

TEST(NextByte, FoldsCrLfButKeepsALoneCr) {
    test_input input("a\r\nb\rc\r");
    EXPECT_EQ(all_bytes(), "a\nb\rc\r");
    EXPECT_EQ(next_byte(), EOF); // end of input stays the end
}

TEST(NextByte, PassesZeroBytesAndNewlinesThrough) {
    const std::string bytes("\0\n1\0\n\0\0", 8);
    test_input input(bytes);
    EXPECT_EQ(all_bytes(), bytes);
}

TEST(NextByte, FoldsACrLfSplitAcrossLongLines) {
    for (size_t length : {65533u, 65534u, 65535u, 200000u}) {
        std::string line(length, '7');
        const std::string zero(1, '\0');
        test_input input(line + "\r\n" + zero + "x\r");
        EXPECT_EQ(all_bytes(), line + "\n" + zero + "x\r") << "line of " << length;
    }
}

TEST(NextByte, ReturnsAByteGivenBack) {
    test_input input("ab");
    int first = next_byte();
    unread_byte(first);
    unread_byte(EOF); // ignored
    EXPECT_EQ(next_byte(), 'a');
    EXPECT_EQ(next_byte(), 'b');
}

} // namespace
} // namespace batch_calc
