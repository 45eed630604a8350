#include "Subtracao.hpp"

#include <cassert>

namespace list_calc {

std::size_t size(const DigitNode *list) {
    std::size_t count = 0;
    for (; list != nullptr; list = list->next) {
        ++count;
    }
    return count;
}

// Compares two lists of equal length, most significant first: 1, 0 or 2 as Maior.
static int compararDigitos(const DigitNode *a, const DigitNode *b) {
    for (; a != nullptr && b != nullptr; a = a->next, b = b->next) {
        if (a->value != b->value) {
            return a->value > b->value ? 1 : 0;
        }
    }
    return 2;
}

int Maior(ListNumber a, ListNumber b) {
    std::size_t la = size(a.digits);
    std::size_t lb = size(b.digits);
    if (la != lb) {
        return la > lb ? 1 : 0;
    }
    DigitNode *highA = inverte(criar_lista(), a.digits);
    DigitNode *highB = inverte(criar_lista(), b.digits);
    int result = compararDigitos(highA, highB);
    inverte(criar_lista(), highA);
    inverte(criar_lista(), highB);
    return result;
}

DigitNode *Sub(DigitNode *a, const DigitNode *b, DigitNode *acc) {
    for (DigitNode *x = a; x != nullptr; x = x->next) {
        std::int32_t d = x->value;
        if (b != nullptr) {
            d -= b->value;
            b = b->next;
        }
        if (d < 0) {
            assert(x->next != nullptr && "the minuend must not be the smaller magnitude");
            d += 10;
            x->next->value -= 1; // the borrow waits in the minuend for that node's own step
        }
        acc = criarNo(acc, d);
    }
    return acc;
}

// Strips the leading zeros of a units-first list; an empty or all-zero list becomes node 0.
static DigitNode *semZerosAEsquerda(DigitNode *list) {
    return inverte(criar_lista(), FormatNum(inverte(criar_lista(), list)));
}

ListNumber ChamarSub(ListNumber a, ListNumber b) {
    a.digits = semZerosAEsquerda(a.digits);
    b.digits = semZerosAEsquerda(b.digits);
    ListNumber result{0, criar_lista()}; // equal magnitudes: FormatNum turns the empty list to 0
    switch (Maior(a, b)) {
    case 1:
        result = ListNumber{a.sign, Sub(a.digits, b.digits, criar_lista())};
        break;
    case 0:
        result = ListNumber{b.sign, Sub(b.digits, a.digits, criar_lista())};
        break;
    default:
        break;
    }
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    result.digits = FormatNum(result.digits);
    return result;
}

} // namespace list_calc
