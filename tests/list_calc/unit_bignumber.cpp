#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <set>

#include "bignumber.hpp"
#include "listas.hpp"

namespace list_calc {
namespace {
using teste::maisSignificativoPrimeiro;
using teste::texto;

TEST(Lista, CriarNoPutsEachValueInFront) {
    DigitNode *list = criarNo(criarNo(criarNo(criar_lista(), 3), 2), 1);
    EXPECT_EQ(texto(list), "123");
    destruir_lista(list);
}

TEST(Lista, InverteReversesAndHangsTheFirstListBehind) {
    DigitNode *list = inverte(maisSignificativoPrimeiro("89"), maisSignificativoPrimeiro("123"));
    EXPECT_EQ(texto(list), "32189");
    destruir_lista(list);
}

TEST(Lista, InverteOfASingleNodeAndOfTheEmptyList) {
    DigitNode *one = inverte(criar_lista(), maisSignificativoPrimeiro("7"));
    EXPECT_EQ(texto(one), "7");
    EXPECT_EQ(one->next, nullptr);
    destruir_lista(one);
    DigitNode *tail = maisSignificativoPrimeiro("45");
    EXPECT_EQ(inverte(tail, criar_lista()), tail); // nothing to reverse: only the tail is left
    destruir_lista(tail);
}

TEST(Lista, InverteTwiceGivesBackTheSameNodes) {
    DigitNode *list = maisSignificativoPrimeiro("10203");
    DigitNode *head = list;
    list = inverte(criar_lista(), inverte(criar_lista(), list));
    EXPECT_EQ(list, head);
    EXPECT_EQ(texto(list), "10203");
    destruir_lista(list);
}

// The nodes of `list`, by address.
std::set<const DigitNode *> nosDe(const DigitNode *list) {
    std::set<const DigitNode *> nodes;
    for (; list != nullptr; list = list->next) nodes.insert(list);
    return nodes;
}

// Lists longer than a block of nodes: released nodes come back, and the blocks can be returned
// and made anew.
TEST(Lista, ReleasedNodesAreHandedOutAgain) {
    devolver_nos_guardados(); // no node is left over from the tests before
    const std::string sevens(100000, '7');
    DigitNode *first = maisSignificativoPrimeiro(sevens);
    const std::set<const DigitNode *> used = nosDe(first);
    destruir_lista(first);
    DigitNode *second = maisSignificativoPrimeiro(std::string(100000, '3'));
    EXPECT_EQ(texto(second), std::string(100000, '3'));
    EXPECT_EQ(nosDe(second), used);
    destruir_lista(second);
    devolver_nos_guardados();
    DigitNode *third = maisSignificativoPrimeiro(sevens);
    EXPECT_EQ(texto(third), sevens);
    destruir_lista(third);
}

#if defined(__SANITIZE_ADDRESS__)
// The value of `node`, read where the compiler cannot drop the read.
std::int32_t lido(const DigitNode *node) {
    return *static_cast<const volatile std::int32_t *>(&node->value);
}

// A node kept for reuse, released with its list or alone, is poisoned until it is handed out.
TEST(ListaDeathTest, AReleasedNodeCannotBeUsed) {
    DigitNode *list = maisSignificativoPrimeiro("123");
    DigitNode *middle = list->next;
    destruir_lista(list);
    EXPECT_DEATH(lido(middle), "use-after-poison");
    DigitNode *alone = maisSignificativoPrimeiro("4");
    liberarCabeca(alone);
    EXPECT_DEATH(lido(alone), "use-after-poison");
}
#endif

TEST(FormatNum, StripsLeadingZerosOnlyAtTheHead) {
    DigitNode *list = FormatNum(maisSignificativoPrimeiro("0010200"));
    EXPECT_EQ(texto(list), "10200");
    destruir_lista(list);
}

TEST(FormatNum, ZeroIsALoneNodeZero) {
    for (const char *zeros : {"0", "000", ""}) {
        DigitNode *list = FormatNum(maisSignificativoPrimeiro(zeros));
        ASSERT_NE(list, nullptr) << '"' << zeros << '"';
        EXPECT_EQ(texto(list), "0");
        EXPECT_EQ(list->next, nullptr);
        destruir_lista(list);
    }
}

// Runs `print` with standard output captured and returns what it wrote.
template <class Print> std::string saida(Print print) {
    testing::internal::CaptureStdout();
    print();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Impressao, SignOnlyWhenNegativeThenDigitsAndNewline) {
    DigitNode *list = maisSignificativoPrimeiro("1205");
    EXPECT_EQ(saida([&] { printBigNumber(ListNumber{1, list}); }), "-1205\n");
    EXPECT_EQ(saida([&] { printBigNumber(ListNumber{0, list}); }), "1205\n");
    EXPECT_EQ(saida([&] { imprimirLista(list); }), "1205\n");
    destruir_lista(list);
}

TEST(Impressao, ValuesAboveNineAreWrittenWhole) {
    DigitNode *row = criarNo(criarNo(criar_lista(), 3), 17);
    EXPECT_EQ(saida([&] { imprimirLista(row); }), "173\n");
    destruir_lista(row);
}

TEST(Impressao, ALongListIsWrittenCompletely) {
    std::string digits;
    for (int i = 0; i < 10000; ++i) digits += static_cast<char>('0' + (i * 7) % 10);
    DigitNode *list = maisSignificativoPrimeiro(digits);
    std::string expected = std::string("-").append(digits).append("\n");
    EXPECT_EQ(saida([&] { printBigNumber(ListNumber{1, list}); }), expected);
    destruir_lista(list);
}

// Widest values after one to eleven one-digit values: for one of these prefixes the block's end
// falls exactly where a widest value would still fit, without its terminating byte.
TEST(Impressao, WidestValuesMeetTheBlockEdgeAtEveryOffset) {
    for (int prefix = 0; prefix < 11; ++prefix) {
        DigitNode *list = criar_lista();
        std::string expected = "\n";
        for (int i = 0; i < 400; ++i) {
            list = criarNo(list, INT32_MIN);
            expected.insert(0, std::to_string(INT32_MIN));
        }
        for (int i = 0; i < prefix; ++i) list = criarNo(list, 7);
        expected.insert(0, std::string(static_cast<std::size_t>(prefix), '7'));
        EXPECT_EQ(saida([&] { imprimirLista(list); }), expected) << prefix;
        destruir_lista(list);
    }
}

} // namespace
} // namespace list_calc
