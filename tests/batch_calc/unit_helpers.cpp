// Unit tests of the text utilities.
#include "helpers.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace batch_calc {
namespace {

std::string trimmed(const char *text, int32_t length, int32_t *new_length) {
    std::string buffer(text);
    *new_length = remove_leading_zeroes(buffer.data(), buffer.data(), length);
    return buffer.c_str();
}

TEST(RemoveLeadingZeroes, KeepsOneZeroOfAnAllZeroText) {
    int32_t length = -1;
    EXPECT_EQ(trimmed("0", 1, &length), "0");
    EXPECT_EQ(length, 1);
    EXPECT_EQ(trimmed("0000", 4, &length), "0");
    EXPECT_EQ(length, 1);
}

TEST(RemoveLeadingZeroes, DropsZerosOnlyInFront) {
    int32_t length = -1;
    EXPECT_EQ(trimmed("00120", 5, &length), "120");
    EXPECT_EQ(length, 3);
    EXPECT_EQ(trimmed("120", 3, &length), "120");
    EXPECT_EQ(length, 3);
}

TEST(RemoveLeadingZeroes, LooksOnlyAtTheGivenLength) {
    int32_t length = -1;
    EXPECT_EQ(trimmed("0012345", 3, &length), "1");
    EXPECT_EQ(length, 1);
    EXPECT_EQ(trimmed("", 0, &length), "");
    EXPECT_EQ(length, 0);
}

TEST(IsZeroString, OnlyTheSingleZero) {
    EXPECT_TRUE(is_zero_string("0", 1));
    EXPECT_FALSE(is_zero_string("00", 2));
    EXPECT_FALSE(is_zero_string("", 0));
    EXPECT_FALSE(is_zero_string("5", 1));
}

TEST(ReverseString, OddEvenEmptyAndSingle) {
    char odd[] = "12345", even[] = "1234", empty[] = "", single[] = "7";
    reverse_string(odd);
    reverse_string(even);
    reverse_string(empty);
    reverse_string(single);
    EXPECT_STREQ(odd, "54321");
    EXPECT_STREQ(even, "4321");
    EXPECT_STREQ(empty, "");
    EXPECT_STREQ(single, "7");
}

} // namespace
} // namespace batch_calc
