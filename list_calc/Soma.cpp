// Addition of digit lists, column by column from the units.
#include "Soma.hpp"

#include "Multiplicacao.hpp"

namespace list_calc {

namespace {

// One column of a sum: `carry` plus the values at the heads of `a` and `b` (none past an end).
std::int32_t coluna(std::int32_t carry, const DigitNode *a, const DigitNode *b) {
    return carry + (a != nullptr ? a->value : 0) + (b != nullptr ? b->value : 0);
}

// Puts the last carry of a sum, when there is one, in front of `acc`.
DigitNode *fecharSoma(DigitNode *acc, std::int32_t carry) {
    return carry != 0 ? criarNo(acc, carry) : acc;
}

// As soma from carry 0, but frees each node of `a` and `b` once its column is added: the sum
// is then made of the operands' own nodes, and a long addition holds little more than its result.
DigitNode *somaLiberando(DigitNode *a, DigitNode *b) {
    DigitNode *acc = criar_lista();
    std::int32_t carry = 0;
    while (a != nullptr || b != nullptr) {
        std::int32_t s = coluna(carry, a, b);
        a = liberarCabeca(a);
        b = liberarCabeca(b);
        acc = criarNo(acc, s % 10);
        carry = s / 10;
    }
    return fecharSoma(acc, carry);
}

} // namespace

DigitNode *soma(const DigitNode *a, const DigitNode *b, DigitNode *acc, std::int32_t carry) {
    while (a != nullptr || b != nullptr) {
        std::int32_t s = coluna(carry, a, b);
        acc = criarNo(acc, s % 10);
        carry = s / 10;
        a = a != nullptr ? a->next : a;
        b = b != nullptr ? b->next : b;
    }
    return fecharSoma(acc, carry);
}

ListNumber ChamarSoma(ListNumber a, ListNumber b) {
    DigitNode *sum = somaLiberando(a.digits, b.digits);
    return ehZero(ListNumber{a.sign, FormatNum(sum)});
}

} // namespace list_calc
