#include "Soma.hpp"

#include "Multiplicacao.hpp"

namespace list_calc {

DigitNode *soma(const DigitNode *a, const DigitNode *b, DigitNode *acc, std::int32_t carry) {
    while (a != nullptr || b != nullptr) {
        std::int32_t s = carry;
        if (a != nullptr) {
            s += a->value;
            a = a->next;
        }
        if (b != nullptr) {
            s += b->value;
            b = b->next;
        }
        acc = criarNo(acc, s % 10);
        carry = s / 10;
    }
    if (carry != 0) {
        acc = criarNo(acc, carry);
    }
    return acc;
}

ListNumber ChamarSoma(ListNumber a, ListNumber b) {
    DigitNode *sum = soma(a.digits, b.digits, criar_lista(), 0);
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    return ehZero(ListNumber{a.sign, FormatNum(sum)});
}

} // namespace list_calc
