// Multiplication of digit lists: a row per digit of the shorter operand, added into a running sum.
#include "Multiplicacao.hpp"

#include <cassert>
#include <cstdint>
#include <utility>

#include "Subtracao.hpp"

namespace list_calc {

namespace {

// Rows that can be added between two settlings of the carries: a settled node holds at most 9
// and a row adds at most 9 x 9 to it, so after this many rows a value still fits in 32 bits.
constexpr std::size_t kLinhasEntreAcertos = (INT32_MAX - 9) / 81;

// A running sum of `count` nodes of value 0, linked in the order they are handed out.
DigitNode *somaDeZeros(std::size_t count) {
    DigitNode *acc = criar_lista();
    DigitNode **fim = &acc;
    for (; count > 0; --count) {
        *fim = criarNo(criar_lista(), 0);
        fim = &(*fim)->next;
    }
    return acc;
}

// The node `count` places after `list`, which has that many nodes after it.
template <class Node> Node *depoisDe(Node *list, std::size_t count) {
    for (; count > 0; --count) {
        list = list->next;
    }
    return list;
}

// The longer operand cut in two halves, which a row walks side by side: a walk down a list is a
// chain of loads, each waiting for the one before it, and two chains at once take about the time
// of one.
struct Metades {
    const DigitNode *baixa; // the first node of the lower half (the units)
    const DigitNode *alta;  // the first node of the upper half
    std::size_t tamanho;    // nodes in the lower half; the upper one has as many or one more
};

// `b`, of `size` nodes, cut in two halves.
Metades cortarAoMeio(const DigitNode *b, std::size_t size) {
    return Metades{b, depoisDe(b, size / 2), size / 2};
}

// Adds the row `digit` x b into the running sum, without carrying: the lower half of b from
// the node `baixo` on, the upper half from `alto` on.
void somarLinha(DigitNode *baixo, DigitNode *alto, std::int32_t digit, const Metades &b) {
    assert(digit >= 0 && digit <= 9 && "the bound on rows between settlings assumes digits");
    const DigitNode *x = b.baixa;
    const DigitNode *y = b.alta;
    for (std::size_t i = 0; i < b.tamanho; ++i) {
        baixo->value += digit * x->value;
        alto->value += digit * y->value;
        x = x->next;
        y = y->next;
        baixo = baixo->next;
        alto = alto->next;
    }
    if (y != nullptr) { // the upper half's one node more
        alto->value += digit * y->value;
    }
}

// Settles the carries of the running sum `acc` (units first) in one walk: every value becomes a
// digit, and what is carried out of the last node goes on in new nodes at the end.
void acertarVaiUm(DigitNode *acc) {
    std::int64_t carry = 0; // a value near INT32_MAX plus its carry does not fit in 32 bits
    DigitNode *last = acc;
    for (DigitNode *node = acc; node != nullptr; node = node->next) {
        const std::int64_t s = node->value + carry;
        node->value = static_cast<std::int32_t>(s % 10);
        carry = s / 10;
        last = node;
    }
    for (; carry != 0; carry /= 10) {
        last->next = criarNo(criar_lista(), static_cast<std::int32_t>(carry % 10));
        last = last->next;
    }
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
    return MultAcertandoACada(a, b, kLinhasEntreAcertos);
}

// Each row is added without settling its carries, and the carries of all rows are settled in one
// walk at the end: settling per row would make every row a second walk over the running sum, and
// building each row as a list of its own would make it a third. A node's value grows by at most
// 81 a row, so the carries are settled early only when `linhas` rows have been added. The running
// sum is made whole before the first row, one node per place a row reaches, so that its nodes lie
// in the order they are walked and a row only adds into them; each row is walked as two halves
// side by side (Metades).
DigitNode *MultAcertandoACada(const DigitNode *a, const DigitNode *b, std::size_t linhas) {
    assert(linhas > 0);
    std::size_t la = size(a);
    std::size_t lb = size(b);
    if (la > lb) {
        std::swap(a, b); // the product commutes: the shorter operand gives the fewer rows
        std::swap(la, lb);
    }
    if (la == 0) {
        return criar_lista();
    }
    const Metades metades = cortarAoMeio(b, lb);
    DigitNode *acc = somaDeZeros(la + lb - 1);             // units first; the last carry goes on
    DigitNode *lugar = acc;                                // the sum from the row's place on
    DigitNode *lugarAlto = depoisDe(acc, metades.tamanho); // and from its upper half's place on
    std::size_t semAcertar = 0; // rows added since the carries were last settled
    for (; a != nullptr; a = a->next, lugar = lugar->next, lugarAlto = lugarAlto->next) {
        if (a->value == 0) {
            continue; // a row of zeros adds nothing
        }
        if (semAcertar == linhas) {
            acertarVaiUm(acc);
            semAcertar = 0;
        }
        somarLinha(lugar, lugarAlto, a->value, metades);
        ++semAcertar;
    }
    acertarVaiUm(acc);
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
