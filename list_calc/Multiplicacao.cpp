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
// rows, so the more rows, the fewer walks. The baseline form sums a place over a block in a
// 16-bit lane; the vector units' forms sum it in 64 bits, and take more rows a walk.
constexpr std::size_t kLinhasEmLanes = 768;
constexpr std::size_t kLinhasPorBloco = 4096;
// Places of a walk summed together by the baseline form, each in a 16-bit lane of its own.
constexpr std::size_t kLugaresPorVez = 64;
// A place takes at most 9 x 9 from each row of a block, so its sum over a block fits its lane.
static_assert(81 * kLinhasEmLanes <= UINT16_MAX, "a place's sum over a block fits 16 bits");

// Groups of four rows in a block (digit_groups.hpp).
constexpr std::size_t kGruposPorBloco = kLinhasPorBloco / digit_groups::group_digits;

// The digits of a block of rows, its lowest place first: row j's digit in byte j, four rows a
// group, zeros after the last row (as many as the groups' loops read).
struct Bloco {
    std::uint32_t grupos[kGruposPorBloco + digit_groups::block_groups_after];
    std::size_t linhas; // rows in the block: 1 to kLinhasPorBloco
};

std::uint8_t digitoDaLinha(const Bloco &bloco, std::size_t j) {
    return reinterpret_cast<const std::uint8_t *>(bloco.grupos)[j];
}

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

// The value of node `b` (0 past the end of its list), and `b` moved on.
std::uint32_t proximoDigito(const DigitNode *&b) {
    if (b == nullptr) return 0;
    assert(b->value >= 0 && b->value <= 9 && "the lanes' bound assumes digits");
    const auto digito = static_cast<std::uint32_t>(b->value);
    b = b->next;
    return digito;
}

// Adds the rows of `bloco` times b (`lb` nodes, units first) into the running sum from `lugar` on
// (the node of the place of the block's first row), without carrying, in one walk of b and of the
// sum. Place t of the walk takes, from every row j of the block, digit j times b's digit t - j: a
// dot product of the block's digits with b's digits reversed. kLugaresPorVez places are summed at
// once, one in each 16-bit lane, from a window of b's digits: from rows - 1 below the first of
// those places up to the last of them, zeros where b has no digit.
[[gnu::always_inline]] inline void somarBlocoEmLanes(const Bloco &bloco, const DigitNode *b,
                                                     std::size_t lb, DigitNode *lugar) {
    assert(bloco.linhas <= kLinhasEmLanes);
    const std::size_t abaixo = bloco.linhas - 1; // digits of b in the window below its places
    std::uint16_t janela[kLinhasEmLanes - 1 + kLugaresPorVez];
    std::memset(janela, 0, abaixo * sizeof janela[0]);
    const std::size_t lugares = lb + abaixo;
    for (std::size_t t0 = 0; t0 < lugares; t0 += kLugaresPorVez) {
        for (std::size_t q = 0; q < kLugaresPorVez; ++q) {
            janela[abaixo + q] = static_cast<std::uint16_t>(proximoDigito(b));
        }
        std::uint16_t somas[kLugaresPorVez] = {};
        for (std::size_t j = 0; j < bloco.linhas; ++j) {
            const std::uint16_t digito = digitoDaLinha(bloco, j);
            const std::uint16_t *x = janela + abaixo - j; // b's digit t0 - j, then up
            for (std::size_t q = 0; q < kLugaresPorVez; ++q) {
                somas[q] = static_cast<std::uint16_t>(somas[q] + digito * x[q]);
            }
        }
        const std::size_t prontos = std::min(kLugaresPorVez, lugares - t0);
        for (std::size_t q = 0; q < prontos; ++q, lugar = lugar->next) {
            lugar->value += somas[q];
        }
        std::memmove(janela, janela + kLugaresPorVez, abaixo * sizeof janela[0]);
    }
}

// The vector units' form of a block, on places [inicio, fim) of its walk: the same sums, from
// the block's digits in groups of four against windows of four of b's digits (digit_groups.hpp),
// a unit's block of places at a time. The windows are made as the walk reaches them and kept
// from those that the block's lowest group meets to the highest place summed: the walk from
// `inicio` on starts that far below it. `b` is b's first node, `lugar` the sum's node of place 0.
template <class Unit> struct Janelas {
    static constexpr std::size_t lugares = digit_groups::block_columns<Unit>();
    // Windows below a block of places that its loads read, at most: 4 (groups - 1) + V (H - 1).
    static std::size_t abaixo(std::size_t grupos) {
        return digit_groups::group_digits * grupos + Unit::columns * Unit::groups_at_once;
    }
    // Room for the windows below and some thousands of places above them, moved down when full.
    static constexpr std::size_t capacidade = 4 * kGruposPorBloco + 8192;
    static_assert(capacidade >= 4 * kGruposPorBloco + Unit::columns * Unit::groups_at_once +
                                    lugares,
                  "a block of places fits above the windows");
};

template <class Unit>
[[gnu::always_inline]] inline void somarBlocoEmGrupos(const Bloco &bloco, const DigitNode *b,
                                                      std::size_t inicio, std::size_t fim,
                                                      DigitNode *lugar) {
    using J = Janelas<Unit>;
    const std::size_t grupos = (bloco.linhas + 3) / digit_groups::group_digits;
    const std::size_t abaixo = J::abaixo(grupos);
    std::uint32_t janela[J::capacidade];
    // janela[pos] is window t0, the first place of the next block of places; below it the
    // windows from t0 - abaixo, zero where they lie below b's units.
    std::size_t pos = abaixo;
    std::uint32_t w = 0; // the last window made: w << 8 | next digit is the next one
    const std::size_t primeiro = inicio > abaixo ? inicio - abaixo : 0;
    std::memset(janela, 0, (abaixo - (inicio - primeiro)) * sizeof janela[0]);
    // Window m holds b's digits m to m - 3: the walk begins three digits before the first one.
    std::size_t m = primeiro > 3 ? primeiro - 3 : 0;
    for (std::size_t k = 0; k < m; ++k) proximoDigito(b);
    for (; m < inicio; ++m) {
        w = w << 8 | proximoDigito(b);
        if (m >= primeiro) janela[pos - (inicio - m)] = w;
    }
    lugar = depoisDe(lugar, inicio);
    for (std::size_t t0 = inicio; t0 < fim; t0 += J::lugares, pos += J::lugares) {
        if (pos + J::lugares > J::capacidade) {
            std::memmove(janela, janela + pos - abaixo, abaixo * sizeof janela[0]);
            pos = abaixo;
        }
        for (std::size_t q = 0; q < J::lugares; ++q) {
            w = w << 8 | proximoDigito(b);
            janela[pos + q] = w;
        }
        std::uint64_t somas[J::lugares] = {};
        digit_groups::add_block<Unit>(janela + pos, bloco.grupos, 0, 0, grupos - 1, somas);
        const std::size_t prontos = std::min(J::lugares, fim - t0);
        for (std::size_t q = 0; q < prontos; ++q, lugar = lugar->next) {
            lugar->value += static_cast<std::int32_t>(somas[q]);
        }
    }
}

// The places of one walk, [inicio, fim), for a thread of its own.
struct Trecho {
    Variant variante;
    const Bloco *bloco;
    const DigitNode *b; // b's first node
    DigitNode *lugar;   // the running sum's node of the walk's first place
    std::size_t inicio, fim;
};

#ifdef DIGIT_PRODUCT_X86_VARIANTS
// somarBlocoEmGrupos compiled once per vector unit (common/digit_groups.hpp names them).
[[gnu::target("avx2"), gnu::flatten]] void somarTrechoAvx2(const Trecho &t) {
    somarBlocoEmGrupos<digit_groups::Avx2>(*t.bloco, t.b, t.inicio, t.fim, t.lugar);
}

[[gnu::target("avx512bw"), gnu::flatten]] void somarTrechoAvx512(const Trecho &t) {
    somarBlocoEmGrupos<digit_groups::Avx512>(*t.bloco, t.b, t.inicio, t.fim, t.lugar);
}

[[gnu::target("avx512bw,avx512vnni"), gnu::flatten]] void somarTrechoVnni(const Trecho &t) {
    somarBlocoEmGrupos<digit_groups::Vnni>(*t.bloco, t.b, t.inicio, t.fim, t.lugar);
}
#endif

void somarTrecho(Trecho &t) {
#ifdef DIGIT_PRODUCT_X86_VARIANTS
    if (t.variante == Variant::vnni) return somarTrechoVnni(t);
    if (t.variante == Variant::avx512) return somarTrechoAvx512(t);
    if (t.variante == Variant::avx2) return somarTrechoAvx2(t);
#endif
    (void)t;
    assert(!"the baseline form adds its block in one walk");
}

// Products of digits in a thread's share of a walk, at the least: fewer would not repay its start.
constexpr std::uint64_t kProdutosPorThread = std::uint64_t{1} << 24;

// Adds the block's rows times b into the running sum from `lugar` on, in the form of `variante`
// (which runs here). The vector units' forms split a long walk into stretches of places, one a
// thread: each walks to its stretch and writes only its places' nodes.
void somarBloco(Variant variante, const Bloco &bloco, const DigitNode *b, std::size_t lb,
                DigitNode *lugar) {
    if (variante == Variant::portable) return somarBlocoEmLanes(bloco, b, lb, lugar);
    const std::size_t lugares = lb + bloco.linhas - 1;
    std::uint64_t trechos = std::min<std::uint64_t>(
        parallel::threads, std::uint64_t{lugares} * bloco.linhas / kProdutosPorThread);
    trechos = std::max<std::uint64_t>(trechos, 1);
    Trecho t[parallel::most_threads];
    for (std::size_t i = 0; i < trechos; ++i) {
        t[i] = Trecho{variante, &bloco, b, lugar, lugares * i / trechos,
                      lugares * (i + 1) / trechos};
    }
    parallel::run_jobs<Trecho, somarTrecho>(t, static_cast<unsigned>(trechos));
}

// Takes up to `cabem` rows from `a` on into `bloco`, leaving off its trailing zero rows, which add
// nothing, and moves `a` past them; returns the rows taken, zeros included.
std::size_t tomarBloco(const DigitNode *&a, std::size_t cabem, Bloco &bloco) {
    auto *digitos = reinterpret_cast<std::uint8_t *>(bloco.grupos);
    std::size_t tomadas = 0;
    bloco.linhas = 0;
    for (; tomadas < cabem && a != nullptr; ++tomadas, a = a->next) {
        assert(a->value >= 0 && a->value <= 9 && "the lanes' bound assumes digits");
        digitos[tomadas] = static_cast<std::uint8_t>(a->value);
        if (a->value != 0) {
            bloco.linhas = tomadas + 1;
        }
    }
    // Zeros from the last row to the end of its group, and the groups after it that are read.
    const std::size_t usados = (bloco.linhas + 3) / digit_groups::group_digits;
    std::memset(digitos + bloco.linhas, 0,
                (usados + digit_groups::block_groups_after) * sizeof(std::uint32_t) - bloco.linhas);
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
    const std::size_t porBloco = variante == Variant::portable ? kLinhasEmLanes : kLinhasPorBloco;
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
            tomarBloco(a, std::min(porBloco, linhas - semAcertar), bloco);
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
