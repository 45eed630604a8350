// Multiplication of digit lists: a row per digit of the shorter operand, added into a running sum.
#include "Multiplicacao.hpp"

#include <cassert>
#include <utility>

#include "Soma.hpp"
#include "Subtracao.hpp"

namespace list_calc {

namespace {

// The row digit × b, most significant first. Its values may reach 17: each carry is added
// without carrying on, and soma settles them.
DigitNode *linha(std::int32_t digit, const DigitNode *b) {
    DigitNode *row = criar_lista();
    std::int32_t carry = 0;
    for (; b != nullptr; b = b->next) {
        std::int32_t p = digit * b->value;
        row = criarNo(row, p % 10 + carry);
        carry = p / 10;
    }
    if (carry != 0) {
        row = criarNo(row, carry);
    }
    return row;
}

// Strips the leading zeros of a units-first list; an empty or all-zero list becomes node 0.
DigitNode *semZerosAEsquerda(DigitNode *list) {
    return inverte(criar_lista(), FormatNum(inverte(criar_lista(), list)));
}

} // namespace

ListNumber ehZero(ListNumber number) {
    assert(number.digits != nullptr);
    if (number.digits->value == 0) {
        number.sign = 0;
    }
    return number;
}

DigitNode *Mult(const DigitNode *a, const DigitNode *b) {
    if (size(a) > size(b)) {
        std::swap(a, b); // the product commutes: the shorter operand gives the fewer rows
    }
    DigitNode *acc = criar_lista(); // the running sum, units first
    DigitNode **lugar = &acc;       // the link to the running sum from the row's place on
    for (; a != nullptr; a = a->next) {
        // Below the row's place the running sum is final: only the part from there is remade.
        DigitNode *row = inverte(criar_lista(), linha(a->value, b));
        DigitNode *sum = soma(row, *lugar, criar_lista(), 0);
        destruir_lista(row);
        destruir_lista(*lugar);
        *lugar = inverte(criar_lista(), sum);
        lugar = &(*lugar)->next;
    }
    return inverte(criar_lista(), acc);
}

ListNumber ChamarMult(ListNumber a, ListNumber b) {
    a.digits = semZerosAEsquerda(a.digits); // leading zeros would only add rows of zeros
    b.digits = semZerosAEsquerda(b.digits);
    DigitNode *product = Mult(a.digits, b.digits);
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    return ehZero(ListNumber{a.sign != b.sign ? 1 : 0, FormatNum(product)});
}

} // namespace list_calc
