#include <gtest/gtest.h>

#include "Subtracao.hpp"
#include "listas.hpp"

namespace list_calc {
namespace {
using teste::linhaDe;
using teste::operando;
using teste::texto;
using teste::unidadesPrimeiro;

TEST(Size, CountsNodes) {
    DigitNode *list = unidadesPrimeiro("10000");
    EXPECT_EQ(size(list), 5u);
    EXPECT_EQ(size(criar_lista()), 0u);
    destruir_lista(list);
}

// Maior of two unsigned numbers typed in reading order.
int maiorDe(const std::string &a, const std::string &b) {
    ListNumber x = operando(a);
    ListNumber y = operando(b);
    int result = Maior(x, y);
    destruir_lista(x.digits);
    destruir_lista(y.digits);
    return result;
}

TEST(Maior, EqualLengthsAreDecidedByTheMostSignificantDifference) {
    EXPECT_EQ(maiorDe("120", "119"), 1);
    EXPECT_EQ(maiorDe("119", "120"), 0);
    EXPECT_EQ(maiorDe("7", "7"), 2);
    EXPECT_EQ(maiorDe("5001", "5010"), 0); // the units digit alone would say otherwise
}

TEST(Maior, TheLongerListIsLarger) {
    EXPECT_EQ(maiorDe("1000", "999"), 1);
    EXPECT_EQ(maiorDe("999", "1000"), 0);
    EXPECT_EQ(maiorDe("1", ""), 1);
    EXPECT_EQ(maiorDe("", "1"), 0);
    EXPECT_EQ(maiorDe("", ""), 2);
}

TEST(Maior, LeavesBothListsAsTheyWere) {
    ListNumber a = operando("4321");
    ListNumber b = operando("4312");
    DigitNode *headA = a.digits;
    EXPECT_EQ(Maior(a, b), 1);
    EXPECT_EQ(a.digits, headA);
    EXPECT_EQ(texto(a.digits), "1234");
    EXPECT_EQ(texto(b.digits), "2134");
    destruir_lista(a.digits);
    destruir_lista(b.digits);
}

TEST(Sub, BorrowRunsOverZerosAndStaysInTheMinuend) {
    DigitNode *a = unidadesPrimeiro("1000");
    DigitNode *b = unidadesPrimeiro("1");
    DigitNode *diff = Sub(a, b, criar_lista());
    EXPECT_EQ(texto(diff), "0999"); // leading zeros are left for FormatNum
    // units first: the units and tens lent 1 each, and the borrow ended in the thousands node
    EXPECT_EQ(texto(a), "0-1-10");
    destruir_lista(a);
    destruir_lista(b);
    destruir_lista(diff);
}

TEST(Sub, EqualMagnitudesGiveZeros) {
    DigitNode *a = unidadesPrimeiro("505");
    DigitNode *b = unidadesPrimeiro("505");
    DigitNode *diff = Sub(a, b, criar_lista());
    EXPECT_EQ(texto(diff), "000");
    destruir_lista(a);
    destruir_lista(b);
    destruir_lista(diff);
}

TEST(ChamarSub, LargerMagnitudeGivesTheSign) {
    EXPECT_EQ(linhaDe(ChamarSub(operando("1000"), operando("-999"))), "1");
    EXPECT_EQ(linhaDe(ChamarSub(operando("-100"), operando("1"))), "-99");
    EXPECT_EQ(linhaDe(ChamarSub(operando("1"), operando("-1000"))), "-999");
    EXPECT_EQ(linhaDe(ChamarSub(operando("-3"), operando("0005"))), "2");
}

TEST(ChamarSub, LeadingZerosDoNotDecideTheComparison) {
    EXPECT_EQ(linhaDe(ChamarSub(operando("-00009"), operando("10"))), "1");
    EXPECT_EQ(linhaDe(ChamarSub(operando("0010"), operando("-000000009"))), "1");
}

TEST(ChamarSub, EqualMagnitudesGiveZeroNeverNegative) {
    EXPECT_EQ(linhaDe(ChamarSub(operando("-5"), operando("5"))), "0");
    EXPECT_EQ(linhaDe(ChamarSub(operando("000"), operando("-0"))), "0");
}

TEST(ChamarSub, AnOperandWithoutDigitsIsZero) {
    EXPECT_EQ(linhaDe(ChamarSub(operando("-"), operando("42"))), "42");
    EXPECT_EQ(linhaDe(ChamarSub(operando("-42"), operando(""))), "-42");
    EXPECT_EQ(linhaDe(ChamarSub(operando("-"), operando(""))), "0");
}

} // namespace
} // namespace list_calc
