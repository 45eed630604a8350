// The driver's reading of the stream: the real main, run on prepared input with its output
// captured.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#define main list_calc_main
#include "client.cpp"
#undef main

namespace {
// The driver's arguments: the program's name alone.
char nome[] = "list_calc";
char *programa[] = {nome, nullptr};
} // namespace

namespace list_calc {
namespace {

struct Execucao {
    std::string saida;
    int status;
};

// Runs the driver with `entrada` as standard input.
Execucao executa(const std::string &entrada) {
    const std::string path = testing::TempDir() + "list_calc_entrada.txt";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    std::fwrite(entrada.data(), 1, entrada.size(), file);
    std::fclose(file);
    EXPECT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
    testing::internal::CaptureStdout();
    int status = list_calc_main(1, programa);
    std::fflush(stdout);
    std::string saida = testing::internal::GetCapturedStdout();
    std::remove(path.c_str());
    return Execucao{saida, status};
}

std::string saidaDe(const std::string &entrada) {
    return executa(entrada).saida;
}

TEST(ConvertChar, DigitValue) {
    EXPECT_EQ(convertChar('0'), 0);
    EXPECT_EQ(convertChar('9'), 9);
}

TEST(Driver, OneResultPerCalculation) {
    EXPECT_EQ(saidaDe("12\n-5\n+\n3\n5\n-\n-3\n4\n*\n"), "7\n-2\n-12\n");
}

TEST(Driver, EndOfInputDropsAnUnfinishedCalculation) {
    Execucao run = executa("1\n2\n+\n3\n4\n");
    EXPECT_EQ(run.saida, "3\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(saidaDe(""), "");
    EXPECT_EQ(saidaDe("1\n2\n+"), "3\n"); // the last newline is optional
}

TEST(Driver, ASignAnywhereOnAnOperandLineMarksItNegative) {
    EXPECT_EQ(saidaDe("5-\n3\n+\n"), "-2\n");
    EXPECT_EQ(saidaDe("+7\n2\n+\n"), "-5\n");
    EXPECT_EQ(saidaDe("-7-\n2-*\n+\n"), "-9\n"); // several marks never toggle
}

TEST(Driver, LinesBeforeTheOperatorGoToTheSecondOperand) {
    EXPECT_EQ(saidaDe("1\n\n2\n+\n"), "3\n");
    EXPECT_EQ(saidaDe("-\n3\n1\n+\n"), "31\n");        // the first operand has no digit
    EXPECT_EQ(saidaDe("1\n2\n\n\n\n3\n-\n"), "-22\n"); // many lines: the count stays past 3
}

TEST(Driver, AnEmptyLineBetweenCalculationsShiftsTheCount) {
    EXPECT_EQ(saidaDe("1\n2\n+\n\n3\n4\n+\n"), "3\n34\n");
}

TEST(Driver, AfterTheOperatorTheLineCountsAsZero) {
    // "5" goes to the next calculation's second operand; "*" on that line is a further
    // operator on empty operands.
    EXPECT_EQ(saidaDe("1\n2\n+5\n1\n\n+\n"), "3\n6\n");
    EXPECT_EQ(saidaDe("1\n2\n+*\n"), "3\n0\n");
}

TEST(Driver, StrayBytesAreIgnoredWhereverTheyStand) {
    EXPECT_EQ(saidaDe("1 2\r\n-5\r\n+\r\n"), "7\n");
    EXPECT_EQ(saidaDe("a1\nb2\n/+x\n"), "3\n");
    EXPECT_EQ(saidaDe(std::string("1\0002\n3\n+\n", 9)), "15\n");
}

TEST(Driver, AnInputThatCannotBeReadIsAFailure) {
    // A directory opens as a stream, but reading it fails.
    ASSERT_NE(std::freopen(testing::TempDir().c_str(), "rb", stdin), nullptr);
    testing::internal::CaptureStdout();
    int status = list_calc_main(1, programa);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(status, 1);
}

} // namespace
} // namespace list_calc
