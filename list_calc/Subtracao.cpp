// Subtraction of digit lists: comparing magnitudes, then borrowing column by column.
#include "Subtracao.hpp"

#include <cassert>

namespace list_calc {

namespace {

// Compares two lists of equal length, most significant first: 1, 0 or 2 as Maior.
int compararDigitos(const DigitNode *a, const DigitNode *b) {
    for (; a != nullptr && b != nullptr; a = a->next, b = b->next) {
        if (a->value != b->value) {
            return a->value > b->value ? 1 : 0;
        }
    }
    return 2;
}

// Compares two lists by length alone: 1 when a is longer, 0 when shorter, 2 when as long.
int compararTamanhos(const DigitNode *a, const DigitNode *b) {
    std::size_t la = size(a);
    std::size_t lb = size(b);
    return la == lb ? 2 : la > lb ? 1 : 0;
}

// Compares magnitudes of lists most significant first without leading zeros, as Maior.
int compararMagnitudes(const DigitNode *a, const DigitNode *b) {
    int result = compararTamanhos(a, b);
    return result != 2 ? result : compararDigitos(a, b);
}

// The difference of the larger magnitude less the smaller, with the larger one's sign; equal
// magnitudes give the empty list, which FormatNum turns to 0.
ListNumber diferenca(ListNumber a, ListNumber b, int maior) {
    switch (maior) {
    case 1:
        return ListNumber{a.sign, Sub(a.digits, b.digits, criar_lista())};
    case 0:
        return ListNumber{b.sign, Sub(b.digits, a.digits, criar_lista())};
    default:
        return ListNumber{0, criar_lista()};
    }
}

} // namespace

std::size_t size(const DigitNode *list) {
    std::size_t count = 0;
    for (; list != nullptr; list = list->next) {
        ++count;
    }
    return count;
}

int Maior(ListNumber a, ListNumber b) {
    int result = compararTamanhos(a.digits, b.digits);
    if (result != 2) {
        return result;
    }
    DigitNode *highA = inverte(criar_lista(), a.digits);
    DigitNode *highB = inverte(criar_lista(), b.digits);
    result = compararDigitos(highA, highB);
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

ListNumber ChamarSub(ListNumber a, ListNumber b) {
    // Stripped most significant first, the magnitudes compare without reversing them again.
    DigitNode *highA = FormatNum(inverte(criar_lista(), a.digits));
    DigitNode *highB = FormatNum(inverte(criar_lista(), b.digits));
    int maior = compararMagnitudes(highA, highB);
    a.digits = inverte(criar_lista(), highA);
    b.digits = inverte(criar_lista(), highB);
    ListNumber result = diferenca(a, b, maior);
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    result.digits = FormatNum(result.digits);
    return result;
}

} // namespace list_calc
