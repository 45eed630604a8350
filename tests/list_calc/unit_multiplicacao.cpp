#include <gtest/gtest.h>

#include "Multiplicacao.hpp"
#include "listas.hpp"

namespace list_calc {
namespace {
using teste::linhaDe;
using teste::operando;
using teste::texto;
using teste::unidadesPrimeiro;

std::string multDe(const std::string &a, const std::string &b) {
    DigitNode *la = unidadesPrimeiro(a);
    DigitNode *lb = unidadesPrimeiro(b);
    DigitNode *product = Mult(la, lb);
    std::string out = texto(product);
    EXPECT_EQ(texto(la), std::string(a.rbegin(), a.rend())); // operands unchanged
    EXPECT_EQ(texto(lb), std::string(b.rbegin(), b.rend()));
    destruir_lista(la);
    destruir_lista(lb);
    destruir_lista(product);
    return out;
}

TEST(EhZero, ClearsTheSignOnlyOfZero) {
    DigitNode *zero = unidadesPrimeiro("0");
    DigitNode *ten = unidadesPrimeiro("01"); // most significant first: 10
    EXPECT_EQ(ehZero(ListNumber{1, zero}).sign, 0);
    EXPECT_EQ(ehZero(ListNumber{1, ten}).sign, 1);
    EXPECT_EQ(ehZero(ListNumber{0, ten}).sign, 0);
    destruir_lista(zero);
    destruir_lista(ten);
}

TEST(Mult, RowsWithCarriesAboveNineAreSettled) {
    EXPECT_EQ(multDe("99", "99"), "9801"); // each row holds 9+8=17 before soma settles it
    EXPECT_EQ(multDe("9", "9999"), "89991");
    EXPECT_EQ(multDe("7", "8"), "56");
}

TEST(Mult, EachRowIsShiftedByItsDigitsPlace) {
    EXPECT_EQ(multDe("123", "1"), "123");
    EXPECT_EQ(multDe("1", "123"), "123");
    EXPECT_EQ(multDe("101", "11"), "1111");
}

TEST(Mult, EitherOperandMayBeTheShorter) {
    const char *pairs[][3] = {{"7", "98765", "691355"},
                              {"99", "123456789", "12222222111"},
                              {"305", "90000071", "27450021655"}};
    for (const auto &pair : pairs) {
        EXPECT_EQ(multDe(pair[0], pair[1]), pair[2]);
        EXPECT_EQ(multDe(pair[1], pair[0]), pair[2]);
    }
}

TEST(Mult, LeadingZerosAreLeftForFormatNum) {
    EXPECT_EQ(multDe("00", "5"), "00");
    EXPECT_EQ(multDe("10", "0"), "00");
}

TEST(Mult, AnEmptyListIsZero) {
    EXPECT_EQ(multDe("", "123"), "");
    EXPECT_EQ(multDe("123", "").find_first_not_of('0'), std::string::npos); // zeros only
}

// Carries settled after every row, or every few rows, before the rows that add onto them: a
// settling falls inside what would be one block of rows, and no node takes more than 81 a row on
// top of a settled 9 in between. A row of zeros, which a block leaves off, still counts.
TEST(Mult, CarriesSettledBetweenRowsGiveTheSameProduct) {
    const std::string squares[][2] = {
        {std::string(30, '9'), std::string(29, '9') + "8" + std::string(29, '0') + "1"},
        {std::string(28, '9') + "09",
         "999999999999999999999999999818000000000000000000000000008281"}};
    for (const auto &[operand, product] : squares) {
        for (std::size_t linhas : {1, 2, 7}) {
            DigitNode *a = unidadesPrimeiro(operand);
            std::int32_t maior = 0;
            DigitNode *p = MultAcertandoACada(a, a, linhas, &maior);
            EXPECT_EQ(texto(p), product) << operand << ", " << linhas;
            EXPECT_LE(maior, static_cast<std::int32_t>(9 + 81 * linhas)) << operand << ", " << linhas;
            destruir_lista(a);
            destruir_lista(p);
        }
    }
}

TEST(Mult, LongOperands) {
    EXPECT_EQ(multDe("12345678901234567890", "98765432109876543210"),
              "1219326311370217952237463801111263526900");
}

TEST(ChamarMult, SignOnlyWhenSignsDifferAndProductIsNotZero) {
    EXPECT_EQ(linhaDe(ChamarMult(operando("10"), operando("-10"))), "-100");
    EXPECT_EQ(linhaDe(ChamarMult(operando("-3"), operando("-4"))), "12");
    EXPECT_EQ(linhaDe(ChamarMult(operando("0"), operando("-4"))), "0");
    EXPECT_EQ(linhaDe(ChamarMult(operando("-000"), operando("5"))), "0");
    EXPECT_EQ(linhaDe(ChamarMult(operando("-"), operando("5"))), "0");
    EXPECT_EQ(linhaDe(ChamarMult(operando("-5"), operando(""))), "0");
}

} // namespace
} // namespace list_calc
