// Unit tests of the list of calculations and its printing.
#include "process.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace batch_calc {
namespace {

// An expression whose result is the written number ("-" alone: negative, empty text), or none.
expression *with_result(const char *written) {
    expression *e = static_cast<expression *>(calloc(1, sizeof *e));
    if (written == nullptr) return e;
    bool negative = written[0] == '-';
    const char *digits = written + negative;
    char *text = static_cast<char *>(malloc(strlen(digits) + 1));
    strcpy(text, digits);
    e->result = create_big_number(text, static_cast<int32_t>(strlen(digits)), negative);
    return e;
}

TEST(AddProcess, KeepsInputOrderWhileTheArrayDoubles) {
    process *list = create_process();
    EXPECT_EQ(list->capacity, 0);
    expression *added[5];
    for (expression *&e : added) {
        e = with_result("1");
        add_process(list, e);
    }
    EXPECT_EQ(list->count, 5);
    EXPECT_EQ(list->capacity, 8);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list->expressions[i], added[i]);
    destroy_process(list);
}

TEST(PrintProcess, OneLinePerExpressionInOrder) {
    process *list = create_process();
    for (const char *written : {"12", "-7", static_cast<const char *>(nullptr), "-0", "-", "0"})
        add_process(list, with_result(written));
    testing::internal::CaptureStdout();
    print_process(list);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "12\n-7\nNULL big_number\n0\n0\n0\n");
    destroy_process(list);
}

TEST(PrintProcess, AnEmptyProcessPrintsNothing) {
    process *list = create_process();
    testing::internal::CaptureStdout();
    print_process(list);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    destroy_process(list);
}

TEST(ProcessDeathTest, MissingRecordsAreFailedChecks) {
    process *list = create_process();
    expression *e = with_result("1");
    EXPECT_DEATH(add_process(nullptr, e), "process != NULL && expression != NULL");
    EXPECT_DEATH(add_process(list, nullptr), "process != NULL && expression != NULL");
    EXPECT_DEATH(print_process(nullptr), "process != NULL");
    EXPECT_DEATH(destroy_process(nullptr), "process != NULL");
    destroy_expression(e);
    destroy_process(list);
}

} // namespace
} // namespace batch_calc
