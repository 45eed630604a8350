// Subtraction of digit lists: comparing magnitudes, then borrowing column by column.
#include "Subtracao.hpp"

#include <cassert>

namespace list_calc {

namespace {

// The verdict of Maior after the pair `x`, `y`: theirs when they differ, else `soFar`. Digits
// differ in no pattern a branch could guess, so the choice is computed.
int veredito(std::int32_t x, std::int32_t y, int soFar) {
    const int differ = x != y ? 1 : 0;
    return differ * (x > y ? 1 : 0) + (1 - differ) * soFar;
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
    // One walk from the units: the last pair of different values is the most significant one,
    // so neither list is reversed, and past the shorter list's end a nonzero value decides.
    int result = 2;
    const DigitNode *x = a.digits;
    const DigitNode *y = b.digits;
    for (; x != nullptr && y != nullptr; x = x->next, y = y->next) {
        result = veredito(x->value, y->value, result);
    }
    for (; x != nullptr; x = x->next) {
        result = veredito(x->value, 0, result);
    }
    for (; y != nullptr; y = y->next) {
        result = veredito(0, y->value, result);
    }
    return result;
}

DigitNode *Sub(DigitNode *a, const DigitNode *b, DigitNode *acc) {
    for (DigitNode *x = a; x != nullptr; x = x->next) {
        std::int32_t d = x->value;
        if (b != nullptr) {
            d -= b->value;
            b = b->next;
        }
        // Computed, not branched on: a borrow comes as often as not, too often to guess.
        const std::int32_t borrow = d < 0 ? 1 : 0;
        assert((borrow == 0 || x->next != nullptr) && "the minuend must not be the smaller one");
        if (x->next != nullptr) {
            x->next->value -= borrow; // the borrow waits in the minuend for that node's own step
        }
        acc = criarNo(acc, d + 10 * borrow);
    }
    return acc;
}

ListNumber ChamarSub(ListNumber a, ListNumber b) {
    ListNumber result = diferenca(a, b, Maior(a, b)); // leading zeros only give leading zeros
    destruir_lista(a.digits);
    destruir_lista(b.digits);
    result.digits = FormatNum(result.digits);
    return result;
}

} // namespace list_calc
