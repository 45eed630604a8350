#include <gtest/gtest.h>

#include <set>

#include "Soma.hpp"
#include "listas.hpp"

namespace list_calc {
namespace {
using teste::linhaDe;
using teste::operando;
using teste::texto;
using teste::unidadesPrimeiro;

// soma of two numbers typed in reading order; the result as its digits read.
std::string somaDe(const std::string &a, const std::string &b) {
    DigitNode *la = unidadesPrimeiro(a);
    DigitNode *lb = unidadesPrimeiro(b);
    DigitNode *sum = soma(la, lb, criar_lista(), 0);
    std::string out = texto(sum);
    destruir_lista(la);
    destruir_lista(lb);
    destruir_lista(sum);
    return out;
}

TEST(Soma, CarryRipplesThroughNinesIntoANewNode) {
    EXPECT_EQ(somaDe("999", "1"), "1000");
    EXPECT_EQ(somaDe("1", "99999"), "100000");
    EXPECT_EQ(somaDe("5", "5"), "10");
}

TEST(Soma, LengthsMayDifferEitherWay) {
    EXPECT_EQ(somaDe("12345", "5"), "12350");
    EXPECT_EQ(somaDe("5", "12345"), "12350");
}

TEST(Soma, KeepsLeadingZerosForTheCallerToStrip) {
    EXPECT_EQ(somaDe("007", "003"), "010");
}

TEST(Soma, ValuesAboveNineAreCarriedOn) {
    // a = [17, 17] units first, i.e. 17 + 170; b = 5
    DigitNode *a = criarNo(criarNo(criar_lista(), 17), 17);
    DigitNode *b = unidadesPrimeiro("5");
    DigitNode *sum = soma(a, b, criar_lista(), 0);
    EXPECT_EQ(texto(sum), "192");
    EXPECT_EQ(texto(a), "1717"); // the operands are left as they were
    EXPECT_EQ(texto(b), "5");
    destruir_lista(a);
    destruir_lista(b);
    destruir_lista(sum);
}

TEST(Soma, CarryInAndDigitsGoInFrontOfTheAccumulator) {
    DigitNode *a = unidadesPrimeiro("9");
    DigitNode *acc = unidadesPrimeiro("4"); // a lone node 4
    DigitNode *sum = soma(a, criar_lista(), acc, 1);
    EXPECT_EQ(texto(sum), "104");
    destruir_lista(a);
    destruir_lista(sum);
}

TEST(Soma, BothEmptyLeavesTheAccumulator) {
    DigitNode *acc = unidadesPrimeiro("3");
    EXPECT_EQ(soma(criar_lista(), criar_lista(), acc, 0), acc);
    destruir_lista(acc);
}

TEST(ChamarSoma, KeepsTheSharedSign) {
    EXPECT_EQ(linhaDe(ChamarSoma(operando("-1"), operando("-1000"))), "-1001");
    EXPECT_EQ(linhaDe(ChamarSoma(operando("12"), operando("0088"))), "100");
}

// Each operand node is released as soon as its column is added, and the sum is made of those
// nodes: a long addition then holds little more than its result. The sanitizer build gives every
// node its own allocation.
TEST(ChamarSoma, TheSumIsMadeOfTheOperandsNodes) {
    ListNumber a = operando("98765432109876543210");
    ListNumber b = operando("99999999999999999999999");
    std::set<const DigitNode *> nodes;
    for (const DigitNode *list : {a.digits, b.digits}) {
        for (; list != nullptr; list = list->next) nodes.insert(list);
    }
    ListNumber sum = ChamarSoma(a, b);
#if !defined(__SANITIZE_ADDRESS__)
    for (const DigitNode *node = sum.digits; node != nullptr; node = node->next) {
        EXPECT_EQ(nodes.count(node), 1u);
    }
#endif
    EXPECT_EQ(linhaDe(sum), "100098765432109876543209");
}

TEST(ChamarSoma, ZeroSumIsNeverNegative) {
    EXPECT_EQ(linhaDe(ChamarSoma(operando("-0"), operando("-000"))), "0");
    EXPECT_EQ(linhaDe(ChamarSoma(operando("-"), operando("-"))), "0"); // no digits at all
}

} // namespace
} // namespace list_calc
