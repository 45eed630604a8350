// Multiplication of digit lists: a row per digit of the shorter operand, added into a running sum,
// a block of rows per walk of the longer operand.
#include "Multiplicacao.hpp"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <utility>

#include "Subtracao.hpp"
#include "digit_product.hpp"

namespace list_calc {

namespace {

using digit_product::Variant;

// Rows that can be added between two settlings of the carries: a settled node holds at most 9
// and a row adds at most 9 x 9 to it.
constexpr std::size_t kLinhasEntreAcertos = (INT32_MAX - 9) / 81;
static_assert(9 + 81 * static_cast<std::int64_t>(kLinhasEntreAcertos) <= INT32_MAX,
              "a node takes at most 81 a row on top of a settled 9");

// Rows that one walk of the longer operand adds. A walk visits two nodes per place whatever its
// rows, so the more rows, the fewer walks; a block's digits and window stay a few KiB.
constexpr std::size_t kLinhasPorBloco = 768;
// Places of a walk summed together, each in a 16-bit lane of its own.
constexpr std::size_t kLugaresPorVez = 64;
// A place takes at most 9 x 9 from each row of a block, so its sum over a block fits its lane.
static_assert(81 * kLinhasPorBloco <= UINT16_MAX, "a place's sum over a block fits 16 bits");

// The digits of a block of rows, its lowest place first, as the lanes multiply them.
struct Bloco {
    std::uint16_t digitos[kLinhasPorBloco];
    std::size_t linhas; // rows in the block: 1 to kLinhasPorBloco
};

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

// The node `count` places after `list`, which has at least count - 1 nodes after it.
DigitNode *depoisDe(DigitNode *list, std::size_t count) {
    for (; count > 0; --count) {
        list = list->next;
    }
    return list;
}

// Adds the rows of `bloco` times b (`lb` nodes, units first) into the running sum from `lugar` on
// (the node of the place of the block's first row), without carrying, in one walk of b and of the
// sum. Place t of the walk takes, from every row j of the block, digit j times b's digit t - j: a
// dot product of the block's digits with b's digits reversed. kLugaresPorVez places are summed at
// once, one in each 16-bit lane, from a window of b's digits: from rows - 1 below the first of
// those places up to the last of them, zeros where b has no digit.
[[gnu::always_inline]] inline void somarBlocoEm(const Bloco &bloco, const DigitNode *b,
                                                std::size_t lb, DigitNode *lugar) {
    const std::size_t abaixo = bloco.linhas - 1; // digits of b in the window below its places
    std::uint16_t janela[kLinhasPorBloco - 1 + kLugaresPorVez];
    std::memset(janela, 0, abaixo * sizeof janela[0]);
    const std::size_t lugares = lb + abaixo;
    for (std::size_t t0 = 0; t0 < lugares; t0 += kLugaresPorVez) {
        std::size_t q = 0;
        for (; q < kLugaresPorVez && b != nullptr; ++q, b = b->next) {
            assert(b->value >= 0 && b->value <= 9 && "the lanes' bound assumes digits");
            janela[abaixo + q] = static_cast<std::uint16_t>(b->value);
        }
        for (; q < kLugaresPorVez; ++q) {
            janela[abaixo + q] = 0;
        }
        std::uint16_t somas[kLugaresPorVez] = {};
        for (std::size_t j = 0; j < bloco.linhas; ++j) {
            const std::uint16_t digito = bloco.digitos[j];
            const std::uint16_t *x = janela + abaixo - j; // b's digit t0 - j, then up
            for (q = 0; q < kLugaresPorVez; ++q) {
                somas[q] = static_cast<std::uint16_t>(somas[q] + digito * x[q]);
            }
        }
        const std::size_t prontos = std::min(kLugaresPorVez, lugares - t0);
        for (q = 0; q < prontos; ++q, lugar = lugar->next) {
            lugar->value += somas[q];
        }
        std::memmove(janela, janela + kLugaresPorVez, abaixo * sizeof janela[0]);
    }
}

// somarBlocoEm compiled once per vector unit (common/digit_product.hpp names them).
void somarBlocoPortavel(const Bloco &bloco, const DigitNode *b, std::size_t lb, DigitNode *lugar) {
    somarBlocoEm(bloco, b, lb, lugar);
}

#ifdef DIGIT_PRODUCT_X86_VARIANTS
[[gnu::target("avx2")]] void somarBlocoAvx2(const Bloco &bloco, const DigitNode *b, std::size_t lb,
                                            DigitNode *lugar) {
    somarBlocoEm(bloco, b, lb, lugar);
}

[[gnu::target("avx512bw")]] void somarBlocoAvx512(const Bloco &bloco, const DigitNode *b,
                                                  std::size_t lb, DigitNode *lugar) {
    somarBlocoEm(bloco, b, lb, lugar);
}
#endif

// somarBlocoEm in the form of `variante`, which runs here.
void somarBloco(Variant variante, const Bloco &bloco, const DigitNode *b, std::size_t lb,
                DigitNode *lugar) {
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (variante == Variant::avx512) return somarBlocoAvx512(bloco, b, lb, lugar);
    if (variante == Variant::avx2) return somarBlocoAvx2(bloco, b, lb, lugar);
#endif
    (void)variante;
    somarBlocoPortavel(bloco, b, lb, lugar);
}

// Takes up to `cabem` rows from `a` on into `bloco`, leaving off its trailing zero rows, which add
// nothing, and moves `a` past them; returns the rows taken, zeros included.
std::size_t tomarBloco(const DigitNode *&a, std::size_t cabem, Bloco &bloco) {
    std::size_t tomadas = 0;
    bloco.linhas = 0;
    for (; tomadas < cabem && a != nullptr; ++tomadas, a = a->next) {
        assert(a->value >= 0 && a->value <= 9 && "the lanes' bound assumes digits");
        bloco.digitos[tomadas] = static_cast<std::uint16_t>(a->value);
        if (a->value != 0) {
            bloco.linhas = tomadas + 1;
        }
    }
    return tomadas;
}

// Settles the carries of the running sum `acc` (units first) in one walk: every value becomes a
// digit, and what is carried out of the last node goes on in new nodes at the end. Returns the
// largest value a node held before.
std::int32_t acertarVaiUm(DigitNode *acc) {
    std::int64_t carry = 0; // a value near INT32_MAX plus its carry does not fit in 32 bits
    std::int32_t maior = 0;
    DigitNode *last = acc;
    for (DigitNode *node = acc; node != nullptr; node = node->next) {
        maior = std::max(maior, node->value);
        const std::int64_t s = node->value + carry;
        node->value = static_cast<std::int32_t>(s % 10);
        carry = s / 10;
        last = node;
    }
    for (; carry != 0; carry /= 10) {
        last->next = criarNo(criar_lista(), static_cast<std::int32_t>(carry % 10));
        last = last->next;
    }
    return maior;
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
    return MultAcertandoACada(a, b, kLinhasEntreAcertos, nullptr);
}

// Each row is added without settling its carries, and the carries of all rows are settled in one
// walk at the end: settling per row would make every row a second walk over the running sum, and
// building each row as a list of its own would make it a third. A node's value grows by at most
// 81 a row, so the carries are settled early only when `linhas` rows have been added; a block of
// rows ends where that count is reached. The running sum is made whole before the first row, one
// node per place a row reaches, so that its nodes lie in the order they are walked and a row only
// adds into them. The rows are added a block at a time (somarBlocoEm): the sums of a place over a
// block's rows are the same numbers as row by row, and one walk of b and of the running sum serves
// every row of the block instead of one walk per row.
DigitNode *MultAcertandoACada(const DigitNode *a, const DigitNode *b, std::size_t linhas,
                              std::int32_t *maior) {
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
    const Variant variante = digit_product::chosen_variant();
    DigitNode *acc = somaDeZeros(la + lb - 1); // units first; the last carry goes on
    DigitNode *lugar = acc;                    // the sum from the next row's place on
    std::size_t semAcertar = 0;                // rows added since the carries were last settled
    std::int32_t maiorAntes = 0;
    Bloco bloco;
    while (a != nullptr) {
        if (a->value == 0) { // a row of zeros adds nothing
            a = a->next;
            lugar = lugar->next;
            continue;
        }
        if (semAcertar == linhas) {
            maiorAntes = std::max(maiorAntes, acertarVaiUm(acc));
            semAcertar = 0;
        }
        const std::size_t tomadas =
            tomarBloco(a, std::min(kLinhasPorBloco, linhas - semAcertar), bloco);
        somarBloco(variante, bloco, b, lb, lugar);
        semAcertar += bloco.linhas;
        lugar = depoisDe(lugar, tomadas);
    }
    maiorAntes = std::max(maiorAntes, acertarVaiUm(acc));
    if (maior != nullptr) {
        *maior = maiorAntes;
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
