#include "Multiplicacao.hpp"

#include <cassert>
#include <cstddef>

#include "Soma.hpp"

namespace list_calc {

ListNumber ehZero(ListNumber number) {
    assert(number.digits != nullptr);
    if (number.digits->value == 0) {
        number.sign = 0;
    }
    return number;
}

// The row digit × b shifted by `shift` places, most significant first. Its values may reach 17:
// each carry is added without carrying on, and soma settles them.
static DigitNode *linha(std::int32_t digit, const DigitNode *b, std::size_t shift) {
    DigitNode *row = criar_lista();
    for (std::size_t i = 0; i < shift; ++i) {
        row = criarNo(row, 0);
    }
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

DigitNode *Mult(const DigitNode *a, const DigitNode *b) {
    DigitNode *acc = criar_lista(); // the running sum, units first
    std::size_t shift = 0;
    for (; a != nullptr; a = a->next, ++shift) {
        DigitNode *row = inverte(criar_lista(), linha(a->value, b, shift));
        DigitNode *sum = soma(row, acc, criar_lista(), 0);
        destruir_lista(row);
        destruir_lista(acc);
        acc = inverte(criar_lista(), sum);
    }
    return inverte(criar_lista(), acc);
}

ListNumber ChamarMult(ListNumber a, ListNumber b) {
    DigitNode *product = Mult(a.digits, b.digits);
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    return ehZero(ListNumber{a.sign != b.sign ? 1 : 0, FormatNum(product)});
}

} // namespace list_calc
