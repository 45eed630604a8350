// Signed decimal numbers as digit arrays: magnitude operations, sign cases, Karatsuba
// multiplication, then reading and printing.
#include "bignumber.hpp"

#include "calc_io.hpp"
#include "parallel.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

namespace karatsuba_calc {

// ---------------------------------------------------------------- memory and records

namespace {

const char mensagem_sem_memoria[] = "Não há memória suficiente!";

// An array of n digit values (at least one element), or the out-of-memory exit. Counts that do
// not fit the record's 32-bit size take the same exit: no allocation could hold them anyway.
int16_t *aloca_digitos(int64_t n) {
    if (n > INT32_MAX) malloc_check(nullptr);
    void *p = malloc(static_cast<size_t>(n < 1 ? 1 : n) * sizeof(int16_t));
    malloc_check(p);
    return static_cast<int16_t *>(p);
}

// A new record with an uninitialised array of `size` digits and sign '+'.
SignedDigits *novo_bignumber(int64_t size) {
    auto *n = static_cast<SignedDigits *>(malloc(sizeof(SignedDigits)));
    malloc_check(n);
    n->digits = aloca_digitos(size);
    n->size = static_cast<int32_t>(size);
    n->sign = '+';
    return n;
}

} // namespace

void malloc_check(const void *p) {
    if (p != nullptr) return;
    fputs(mensagem_sem_memoria, stdout);
    exit(1);
}

void free_bignumber(SignedDigits *n) {
    if (n == nullptr) return;
    free(n->digits);
    free(n);
}

// ---------------------------------------------------------------- magnitudes

namespace {

// Number of zero digits in front of p[0, len); len when every digit is zero.
int32_t zeros_na_frente(const int16_t *p, int32_t len) {
    int32_t i = 0;
    // Eight digits at a time first: factors padded to a long one's length are mostly zeros.
    for (uint64_t w[2]; i + 8 <= len; i += 8) {
        memcpy(w, p + i, sizeof w);
        if ((w[0] | w[1]) != 0) break;
    }
    while (i < len && p[i] == 0) ++i;
    return i;
}

// Replaces n's array by one of `tamanho` digits holding the same value (zeros in front).
void preencher_zeros(SignedDigits *n, int32_t tamanho) {
    int16_t *novo = aloca_digitos(tamanho);
    int32_t zeros = tamanho - n->size;
    memset(novo, 0, static_cast<size_t>(zeros) * sizeof(int16_t));
    memcpy(novo + zeros, n->digits, static_cast<size_t>(n->size) * sizeof(int16_t));
    free(n->digits);
    n->digits = novo;
    n->size = tamanho;
}

// x[0, lx) += y[0, ly), aligned at the units digit, lx >= ly; returns the carry out of x[0].
// A running carry leaves the same digits as storing 10 to 19 in the top digit and splitting it
// afterwards; the caller grows the array only when a carry leaves the top.
int somar_em(int16_t *x, int32_t lx, const int16_t *y, int32_t ly) {
    int carry = 0;
    int32_t i = lx - 1;
    for (int32_t j = ly - 1; j >= 0; --i, --j) {
        int s = x[i] + y[j] + carry;
        carry = s > 9;
        x[i] = static_cast<int16_t>(s - 10 * carry);
    }
    for (; carry && i >= 0; --i) {
        if (x[i] == 9) {
            x[i] = 0;
        } else {
            ++x[i];
            carry = 0;
        }
    }
    return carry;
}

// x[0, lx) -= y[0, ly), aligned at the units digit; needs value(x) >= value(y) and lx >= ly.
// One running borrow does what settling each borrow at once over the zeros above would do:
// both leave the same digits, and this way a wrong call cannot walk off the array.
void subtrair_em(int16_t *x, int32_t lx, const int16_t *y, int32_t ly) {
    int borrow = 0;
    int32_t i = lx - 1;
    for (int32_t j = ly - 1; j >= 0 && i >= 0; --i, --j) {
        int t = x[i] - y[j] - borrow;
        borrow = t < 0;
        x[i] = static_cast<int16_t>(t + 10 * borrow);
    }
    for (; borrow && i >= 0; --i) {
        if (x[i] == 0) {
            x[i] = 9;
        } else {
            --x[i];
            borrow = 0;
        }
    }
}

} // namespace

void retirar_zeros_esquerda(SignedDigits *n) {
    if (n->size < 1 || n->digits[0] != 0) return;
    const int32_t zeros = std::min(zeros_na_frente(n->digits, n->size), n->size - 1);
    if (zeros == 0) return;
    int32_t resto = n->size - zeros;
    int16_t *novo = aloca_digitos(resto);
    memcpy(novo, n->digits + zeros, static_cast<size_t>(resto) * sizeof(int16_t));
    free(n->digits);
    n->digits = novo;
    n->size = resto;
}

SignedDigits *maior(SignedDigits *a, SignedDigits *b) {
    retirar_zeros_esquerda(a);
    retirar_zeros_esquerda(b);
    if (a->size != b->size) return a->size > b->size ? a : b;
    for (int32_t i = 0; i < a->size; ++i) {
        if (a->digits[i] != b->digits[i]) return a->digits[i] > b->digits[i] ? a : b;
    }
    return a;
}

void soma_bignumbers(SignedDigits *x, const SignedDigits *y) {
    // Callers always pass the longer number as x; a shorter x is widened rather than overrun.
    if (x->size < y->size) preencher_zeros(x, y->size);
    if (somar_em(x->digits, x->size, y->digits, y->size) == 0) return;
    int16_t *novo = aloca_digitos(static_cast<int64_t>(x->size) + 1);
    novo[0] = 1;
    memcpy(novo + 1, x->digits, static_cast<size_t>(x->size) * sizeof(int16_t));
    free(x->digits);
    x->digits = novo;
    x->size += 1;
}

void subtracao_bignumbers(SignedDigits *x, const SignedDigits *y) {
    if (y->size < 1) return;
    subtrair_em(x->digits, x->size, y->digits, y->size);
}

void swap_bignumbers(SignedDigits *a, SignedDigits *b) {
    // A plain exchange of two fields: no temporary record is taken from the heap for it.
    int32_t size = a->size;
    int16_t *digits = a->digits;
    a->size = b->size;
    a->digits = b->digits;
    b->size = size;
    b->digits = digits;
}

// ---------------------------------------------------------------- sign cases

namespace {

bool eh_zero(const SignedDigits *n) {
    for (int32_t i = 0; i < n->size; ++i) {
        if (n->digits[i] != 0) return false;
    }
    return true;
}

// Prints a "-" when `negativo` and the magnitude is not zero, then the magnitude.
void imprime_com_sinal(const SignedDigits *n, bool negativo) {
    if (negativo && !eh_zero(n)) putchar('-');
    imprime_bignumber(n);
}

void soma_e_imprime(SignedDigits *alvo, const SignedDigits *outro, bool negativo) {
    soma_bignumbers(alvo, outro);
    imprime_com_sinal(alvo, negativo);
}

void subtrai_e_imprime(SignedDigits *alvo, const SignedDigits *outro, bool negativo) {
    subtracao_bignumbers(alvo, outro);
    imprime_com_sinal(alvo, negativo);
}

bool sinal_valido(char s) {
    return s == '+' || s == '-';
}

} // namespace

void casos_operacao_soma(SignedDigits *a, SignedDigits *b) {
    const char sa = a->sign, sb = b->sign;
    if (!sinal_valido(sa) || !sinal_valido(sb)) return;
    const bool primeiro = maior(a, b) == a; // first >= second
    // first sign, second sign, larger            target, other, printed with "-"
    if (sa == '+' && sb == '+' && primeiro) return soma_e_imprime(a, b, false);
    if (sa == '+' && sb == '+' && !primeiro) return soma_e_imprime(b, a, false);
    if (sa == '+' && sb == '-' && primeiro) return subtrai_e_imprime(a, b, false);
    if (sa == '+' && sb == '-' && !primeiro) return subtrai_e_imprime(b, a, true);
    if (sa == '-' && sb == '+' && primeiro) return subtrai_e_imprime(a, b, true);
    if (sa == '-' && sb == '+' && !primeiro) return subtrai_e_imprime(b, a, false);
    if (sa == '-' && sb == '-' && primeiro) return soma_e_imprime(a, b, true);
    if (sa == '-' && sb == '-' && !primeiro) return soma_e_imprime(b, a, true);
}

void casos_operacao_subtracao(SignedDigits *a, SignedDigits *b) {
    const char sa = a->sign, sb = b->sign;
    if (!sinal_valido(sa) || !sinal_valido(sb)) return;
    const bool primeiro = maior(a, b) == a; // first >= second
    // first sign, second sign, larger            target, other, printed with "-"
    if (sa == '+' && sb == '-' && primeiro) return soma_e_imprime(a, b, false);
    if (sa == '+' && sb == '-' && !primeiro) return soma_e_imprime(b, a, false);
    if (sa == '+' && sb == '+' && primeiro) return subtrai_e_imprime(a, b, false);
    if (sa == '+' && sb == '+' && !primeiro) return subtrai_e_imprime(b, a, true);
    if (sa == '-' && sb == '+' && primeiro) return soma_e_imprime(a, b, true);
    if (sa == '-' && sb == '+' && !primeiro) return soma_e_imprime(b, a, true);
    if (sa == '-' && sb == '-' && primeiro) return subtrai_e_imprime(a, b, true);
    if (sa == '-' && sb == '-' && !primeiro) return subtrai_e_imprime(b, a, false);
}

void casos_operacao_multiplicacao(SignedDigits *a, SignedDigits *b) {
    igualar_tamanho(a, b);
    SignedDigits *p = karatsuba(a, b, 1, a->size, 1, b->size);
    retirar_zeros_esquerda(p);
    imprime_com_sinal(p, a->sign != b->sign);
    free_bignumber(p);
}

// ---------------------------------------------------------------- multiplication tools

namespace {

// Writes the last n decimal digits of v into dest[0, n), most significant first.
void escrever_digitos(unsigned v, int16_t *dest, int32_t n) {
    for (int32_t i = n - 1; i >= 0; --i) {
        dest[i] = static_cast<int16_t>(v % 10);
        v /= 10;
    }
}

// Four digits p[0, 4) as 16-bit lanes of one word, the units digit p[3] in the lowest lane: the
// order in which an addition of words carries from lane to lane. The same exchange turns the lanes
// back into digits.
uint64_t quatro_digitos(uint64_t w) {
    if constexpr (std::endian::native == std::endian::little) {
        return __builtin_bswap64(w) >> 8; // digits below 256: each lane's high byte is zero
    } else {
        return w;
    }
}

// s[0, 4) = a[0, 4) + b[0, 4) plus a carry into the units digit; returns the carry out of s[0].
// One addition of words carries for all four digits: each lane is given 2^16 - 10 beside its two
// digits, so that a lane of 10 or more (at most 9 + 9 + 1) wraps, keeping its digit and carrying
// into the next lane, and a lane below 10 keeps the 2^16 - 10 (its top bit set), taken back after.
int somar_quatro_digitos(const int16_t *a, const int16_t *b, int carry, int16_t *s) {
    constexpr uint64_t dez_a_menos = 0xFFF6FFF6FFF6FFF6, topos = 0x0001000100010001;
    uint64_t wa, wb, t;
    memcpy(&wa, a, sizeof wa);
    memcpy(&wb, b, sizeof wb);
    const bool sai = __builtin_add_overflow(
        quatro_digitos(wa) + quatro_digitos(wb) + static_cast<uint64_t>(carry), dez_a_menos, &t);
    t = quatro_digitos(t - (t >> 15 & topos) * 0xFFF6);
    memcpy(s, &t, sizeof t);
    return sai;
}

// s[0, lb] = value(a[0, la)) + value(b[0, lb)) for any la <= lb (a may be empty), aligned at the
// units digit: one digit longer than b. Returns s[0], the carry out (0 or 1).
int somar_spans(const int16_t *a, int32_t la, const int16_t *b, int32_t lb, int16_t *s) {
    const int32_t d = lb - la;
    int carry = 0;
    int32_t j = la - 1;
    for (; j >= 3; j -= 4)
        carry = somar_quatro_digitos(a + j - 3, b + j - 3 + d, carry, s + j - 2 + d);
    for (; j >= 0; --j) {
        const int t = a[j] + b[j + d] + carry;
        carry = t > 9;
        s[j + d + 1] = static_cast<int16_t>(t - 10 * carry);
    }
    for (j = d - 1; j >= 0; --j) { // the digits of b in front of a: the carry alone
        const int t = b[j] + carry;
        carry = t > 9;
        s[j + 1] = static_cast<int16_t>(t - 10 * carry);
    }
    s[0] = static_cast<int16_t>(carry);
    return carry;
}

// ---- Spans of up to maior_span_nativo digits: values in 64 bits

constexpr int32_t maior_span_nativo = 9;

constexpr uint64_t potencia_de_dez(int k) {
    uint64_t p = 1;
    while (k-- > 0) p *= 10;
    return p;
}

// The product of two spans of maior_span_nativo digits is below 10^18, and so is every partial sum
// that its step forms (z2, z1 - z2 - z0 and z0 are not negative).
static_assert(potencia_de_dez(2 * maior_span_nativo) <= UINT64_MAX / 10,
              "a native step's product must fit 64 bits");

// Value of the span p[0, n), n <= maior_span_nativo digits.
uint64_t valor(const int16_t *p, int32_t n) {
    uint64_t v = 0;
    for (int32_t i = 0; i < n; ++i) v = 10 * v + static_cast<uint64_t>(p[i]);
    return v;
}

// The three decimal digits of a value below 1000.
struct TresDigitos {
    int16_t d[3];
};

constexpr std::array<TresDigitos, 1000> tabela_tres_digitos() {
    std::array<TresDigitos, 1000> t{};
    for (int v = 0; v < 1000; ++v) {
        t[v] = TresDigitos{{static_cast<int16_t>(v / 100), static_cast<int16_t>(v / 10 % 10),
                            static_cast<int16_t>(v % 10)}};
    }
    return t;
}

// A native product's digits are written three at a time from this table: one division by 1000
// in place of a chain of three divisions by 10.
constexpr std::array<TresDigitos, 1000> tres_digitos = tabela_tres_digitos();

// A partial product as its places hold it: only the last `extensao` places may be nonzero, and no
// place exceeds `limite` in magnitude (places may be negative until their carries are settled).
struct Parcial {
    int32_t extensao;
    int32_t limite;
};

// out[0, 2L) = the 2L decimal digits of p < 10^(2L), L <= maior_span_nativo.
template <int L, class Lugar> Parcial escrever_produto(uint64_t p, Lugar *out) {
    constexpr int n = 2 * L;
    const auto baixo = static_cast<uint32_t>(p % 1000000000);
    const auto alto = static_cast<uint32_t>(p / 1000000000);
    // Groups of three digits, the most significant first: digit j of group g is digit 3g + j of
    // 18, that is out[3g + j - (18 - n)] when that place exists.
    const uint32_t grupos[6] = {alto / 1000000,  alto / 1000 % 1000,  alto % 1000,
                                baixo / 1000000, baixo / 1000 % 1000, baixo % 1000};
    for (int g = 0; g < 6; ++g) {
        for (int j = 0; j < 3; ++j) {
            const int lugar = 3 * g + j - (18 - n);
            if (lugar >= 0) out[lugar] = static_cast<Lugar>(tres_digitos[grupos[g]].d[j]);
        }
    }
    return {n, 9};
}

// ---- Places: partial products combined without carrying
//
// A step on longer spans keeps the places of its partial products without carrying: the middle
// term z1 - z2 - z0 is formed place by place and added place by place, loops the compiler turns
// into vector instructions. Places then exceed a digit, and may be negative; the bound that keeps
// them in their type, `Lugar`:
// - a native product writes digits (limit 9); a zero product is all zeros (limit 0);
// - a step's places hold one of z2 or z0 plus z1 - z2 - z0, so its limit is at most
//   max(l2, l0) + l1 + l2 + l0, four times the largest limit of its three products;
// - a step whose limit passes a quarter of the type's largest value settles its carries (its places
//   become digits again, limit 9), so every step's products have limits within a quarter, and
//   their combination within the type.
// In 16 bits a step settles about every fifth level of the recursion (9 * 4^5 > 32767 / 4), a pass
// over its places as long as one carrying pass; the levels between carry nothing.

template <class Lugar> constexpr int32_t limite_de_combinacao() {
    return std::numeric_limits<Lugar>::max() / 4;
}

// Every product's limit is at most limite_de_combinacao: 9 or 0 for native and zero products (the
// first assertion), and a step returns its limit only while within it, 9 once settled. Its four
// terms then sum to at most 4 * limite_de_combinacao, within the type (the second); each partial
// sum that the loops below form is a sum of some of those terms, so no place overflows on the way.
static_assert(limite_de_combinacao<int8_t>() >= 9 && limite_de_combinacao<int16_t>() >= 9);
static_assert(4 * limite_de_combinacao<int8_t>() <= std::numeric_limits<int8_t>::max() &&
              4 * limite_de_combinacao<int16_t>() <= std::numeric_limits<int16_t>::max());

// Settles the carries of p[0, n), whose last `extensao` places are the only nonzero ones and whose
// value is below 10^n and not negative: every place becomes a digit. Returns the new extension.
template <class Lugar> int32_t assentar(Lugar *p, int32_t n, int32_t extensao) {
    // A carry is the floor of a place over 10; the places are shifted to be positive first.
    constexpr int32_t vies = 1000000000;
    static_assert(vies % 10 == 0 && std::numeric_limits<Lugar>::max() < vies / 2);
    int32_t vai = 0, i = n - 1;
    for (; i >= n - extensao; --i) {
        const auto t = static_cast<uint32_t>(p[i] + vai + vies);
        vai = static_cast<int32_t>(t / 10) - vies / 10;
        p[i] = static_cast<Lugar>(t % 10);
    }
    for (; vai != 0; --i) { // a carry out of the extension, into the zeros in front
        p[i] = static_cast<Lugar>(vai % 10);
        vai /= 10;
    }
    return n - 1 - i;
}

template <class Lugar>
void subtrair_lugares(Lugar *__restrict a, const Lugar *__restrict b, int32_t n) {
    for (int32_t i = 0; i < n; ++i) a[i] = static_cast<Lugar>(a[i] - b[i]);
}

template <class Lugar>
void somar_lugares(Lugar *__restrict a, const Lugar *__restrict b, int32_t n) {
    for (int32_t i = 0; i < n; ++i) a[i] = static_cast<Lugar>(a[i] + b[i]);
}

// ---- One step of the recursion
//
// A step multiplies two factors x and y of L digits; for L <= 3 it is one native product. Beyond,
// each factor splits into a high half of h = floor(L/2) digits and a low half of k = L - h digits;
// with the half sums s1 = xH + xL and s2 = yH + yL, both held in m digits (k, or k + 1 when either
// carries out of k digits), the step's three products and its result are
//     z2 = xH * yH (h digits)     z0 = xL * yL (k digits)     z1 = s1 * s2 (m digits)
//     x * y = z2 * 10^(2k) + (z1 - z2 - z0) * 10^k + z0.
// A factor of zeros ends its step at once: the product is zero, without the three products.
//
// `passo` is that step for both forms a factor takes (a `Forma`, below): a span of up to
// maior_span_nativo digits held as its value (EmValores), and a longer one held as its digits
// (EmDigitos). A form gives the step its factors' zeros in front, the half sums, the three
// products and their combination.

struct Metades {
    int32_t h; // digits of the high half: floor(L/2)
    int32_t k; // digits of the low half: L - h, the longer one for odd L
};

constexpr Metades metades(int32_t L) {
    return {L / 2, L - L / 2};
}

// m, the half sums' length: both are padded to the longer of the two.
constexpr int32_t comprimento_das_somas(Metades d, bool alguma_vai) {
    return d.k + (alguma_vai ? 1 : 0);
}

// Steps taken by the calling thread; a product run on a thread of its own adds its steps here
// once it is done.
thread_local long long chamadas = 0;

template <class Forma>
typename Forma::Produto passo(const Forma &f, typename Forma::Fator x, typename Forma::Fator y) {
    ++chamadas;
    const int32_t zx = zeros_que_contam(f, x), zy = zeros_que_contam(f, y);
    if (zx == f.comprimento || zy == f.comprimento) return produto_zero(f);
    const auto somas = somar_metades(f, x, zx, y, zy);
    return combinar(f, tres_produtos(f, x, y, somas), somas.m);
}

// ---- The form of a span of up to maior_span_nativo digits: its value
//
// A factor is the value of its L digits; its halves are the quotient and remainder by 10^k, its
// half sums native sums (a carry out of k digits is the sum reaching 10^k), its product a value.

template <int L> struct EmValores {
    using Fator = uint64_t;
    using Produto = uint64_t;
    static constexpr int32_t comprimento = L;
    static constexpr Metades d = metades(L);
    static constexpr uint64_t base = potencia_de_dez(d.k); // x = xH * base + xL
};

// A step's product on values: for spans of up to three digits one native product, at most
// 999 * 999; each step counts in `chamadas`.
template <int L> uint64_t produto(EmValores<L> f, uint64_t x, uint64_t y) {
    static_assert(L >= 1 && L <= maior_span_nativo);
    if constexpr (L <= 3) {
        ++chamadas;
        return x * y;
    } else {
        return passo(f, x, y);
    }
}

// A value's zeros in front, as far as its step needs them: all L when it is zero, else none.
template <int L> int32_t zeros_que_contam(EmValores<L>, uint64_t x) {
    return x == 0 ? L : 0;
}

template <int L> uint64_t produto_zero(EmValores<L>) {
    return 0;
}

struct SomasDeValores {
    uint64_t s1, s2;
    int32_t m;
};

template <int L>
SomasDeValores somar_metades(EmValores<L> f, uint64_t x, int32_t, uint64_t y, int32_t) {
    const uint64_t s1 = x / f.base + x % f.base, s2 = y / f.base + y % f.base;
    return {s1, s2, comprimento_das_somas(f.d, s1 >= f.base || s2 >= f.base)};
}

struct TresValores {
    uint64_t z2, z0, z1;
};

template <int L>
TresValores tres_produtos(EmValores<L> f, uint64_t x, uint64_t y, SomasDeValores s) {
    using Alta = EmValores<EmValores<L>::d.h>;
    using Baixa = EmValores<EmValores<L>::d.k>;
    using Larga = EmValores<EmValores<L>::d.k + 1>; // half sums that carried
    const uint64_t z2 = produto(Alta{}, x / f.base, y / f.base);
    const uint64_t z0 = produto(Baixa{}, x % f.base, y % f.base);
    const uint64_t z1 = s.m > f.d.k ? produto(Larga{}, s.s1, s.s2) : produto(Baixa{}, s.s1, s.s2);
    return {z2, z0, z1};
}

template <int L> uint64_t combinar(EmValores<L> f, TresValores z, int32_t) {
    return (z.z2 * f.base + (z.z1 - z.z2 - z.z0)) * f.base + z.z0;
}

// out[0, 2n) = x * y for the values of two spans of n <= maior_span_nativo digits. The steps on
// values are inlined whole into it: they are most of all steps, and a call each cost about a
// twentieth more instructions in a balanced product.
template <class Lugar>
[[gnu::flatten]] Parcial produto_nativo(uint64_t x, uint64_t y, int32_t n, Lugar *out) {
    switch (n) {
    case 1:
        return escrever_produto<1>(produto(EmValores<1>{}, x, y), out);
    case 2:
        return escrever_produto<2>(produto(EmValores<2>{}, x, y), out);
    case 3:
        return escrever_produto<3>(produto(EmValores<3>{}, x, y), out);
    case 4:
        return escrever_produto<4>(produto(EmValores<4>{}, x, y), out);
    case 5:
        return escrever_produto<5>(produto(EmValores<5>{}, x, y), out);
    case 6:
        return escrever_produto<6>(produto(EmValores<6>{}, x, y), out);
    case 7:
        return escrever_produto<7>(produto(EmValores<7>{}, x, y), out);
    case 8:
        return escrever_produto<8>(produto(EmValores<8>{}, x, y), out);
    default:
        return escrever_produto<9>(produto(EmValores<9>{}, x, y), out);
    }
}

// ---- The form of a longer span: its digits
//
// A factor is its first digit, the halves the spans x[0, h) and x[h, L); the half sums are digits,
// carried as they are added, in the scratch; the product is written as places into `out`. The two
// outer products go straight into their final places in `out` (the shift by 10^(2k) is where they
// sit), the middle product into the scratch, and the middle term is added at its shift of 10^k in
// place. The scratch is allocated once per multiplication; inside the recursion only a step split
// between threads allocates, for the products that run beside another (below).

template <class Lugar> struct EmDigitos {
    using Fator = const int16_t *;
    using Produto = Parcial;
    int32_t comprimento; // L, the factors' digits
    Lugar *out;          // the product's 2L places
    int16_t *somas;      // scratch for half sums: rascunho_necessario(L) digits
    Lugar *produtos;     // scratch for middle products: as many places, at the same offsets
    unsigned threads;    // threads that the step's products may use
};

// Places that each region of the scratch needs for spans of length L: a step holds two half sums
// of up to k + 1 digits and their product of up to 2k + 2 places while its products recurse on at
// most k + 1 digits, one after another in the same area beyond.
int64_t rascunho_necessario(int64_t L) {
    int64_t total = 0;
    while (L > maior_span_nativo) {
        int64_t m = L - L / 2 + 1;
        total += 2 * m;
        L = m;
    }
    return total;
}

// A step's product on digits: a step from maior_span_nativo + 1 digits on, a native product below.
template <class Lugar>
Parcial produto(const EmDigitos<Lugar> &f, const int16_t *x, const int16_t *y) {
    if (f.comprimento > maior_span_nativo) return passo(f, x, y);
    return produto_nativo(valor(x, f.comprimento), valor(y, f.comprimento), f.comprimento, f.out);
}

// Zeros in front of a factor x[0, L) of a step (L >= 4), counted only from three on: fewer change
// nothing in the step, and balanced factors then pay three loads for the count.
int32_t zeros_em_excesso(const int16_t *x, int32_t L) {
    return (x[0] | x[1] | x[2]) == 0 ? zeros_na_frente(x, L) : 0;
}

template <class Lugar> int32_t zeros_que_contam(const EmDigitos<Lugar> &f, const int16_t *x) {
    return zeros_em_excesso(x, f.comprimento);
}

template <class Lugar> Parcial produto_zero(const EmDigitos<Lugar> &f) {
    std::fill(f.out, f.out + 2 * f.comprimento, Lugar{0});
    return {0, 0};
}

// s[0, k] = value(x[0, h)) + value(x[h, h + k)), the sum of a factor's halves, given zx, the
// factor's zeros in front as zeros_em_excesso counts them. Returns s[0], the carry out.
int soma_das_metades(const int16_t *x, Metades d, int32_t zx, int16_t *s) {
    if (zx < d.h) return somar_spans(x, d.h, x + d.h, d.k, s);
    s[0] = 0; // a zero high half: the sum is the low half, copied
    memcpy(s + 1, x + d.h, static_cast<size_t>(d.k) * sizeof(int16_t));
    return 0;
}

struct SomasDeDigitos {
    const int16_t *s1, *s2;  // the sums' m digits (unwritten while m <= maior_span_nativo)
    uint64_t v1, v2;         // their values, when the halves are native (k <= maior_span_nativo)
    uint64_t xh, xl, yh, yl; // and the halves' values then
    int32_t m;
};

static_assert(2 * (potencia_de_dez(maior_span_nativo) - 1) <= std::numeric_limits<unsigned>::max(),
              "a native half sum fits the unsigned that escrever_digitos takes");

// The half sums. Halves of up to maior_span_nativo digits are summed as values, whose digits are
// written only for a middle product too long to be native; longer halves are summed digit by digit,
// k + 1 digits each at the front of the scratch, their first skipped when neither sum carries.
template <class Lugar>
SomasDeDigitos somar_metades(const EmDigitos<Lugar> &f, const int16_t *x, int32_t zx,
                             const int16_t *y, int32_t zy) {
    const Metades d = metades(f.comprimento);
    int16_t *s1 = f.somas, *s2 = f.somas + (d.k + 1);
    if (d.k <= maior_span_nativo) {
        const uint64_t base = potencia_de_dez(d.k);
        const uint64_t xh = valor(x, d.h), xl = valor(x + d.h, d.k);
        const uint64_t yh = valor(y, d.h), yl = valor(y + d.h, d.k);
        const uint64_t v1 = xh + xl, v2 = yh + yl;
        const int32_t m = comprimento_das_somas(d, v1 >= base || v2 >= base);
        if (m > maior_span_nativo) {
            escrever_digitos(static_cast<unsigned>(v1), s1, m);
            escrever_digitos(static_cast<unsigned>(v2), s2, m);
        }
        return {s1, s2, v1, v2, xh, xl, yh, yl, m};
    }
    const int c1 = soma_das_metades(x, d, zx, s1), c2 = soma_das_metades(y, d, zy, s2);
    const int32_t m = comprimento_das_somas(d, c1 | c2);
    const int32_t pula = (d.k + 1) - m; // a zero digit in front that neither sum needs
    return {s1 + pula, s2 + pula, 0, 0, 0, 0, 0, 0, m};
}

struct TresParciais {
    Parcial z2, z0, z1;
};

// ---- The top steps on threads
//
// A step of menor_passo_em_threads digits or more whose products may use more than one thread runs
// them at once: on two threads, z2 beside z0, then z1 on both, its own step split the same way
// (about half the time of one thread: each level's outer products are two thirds of its work); on
// three or more, all three at once, the threads shared among them. The splits and the steps are
// those of one thread; only where and when each product runs changes. A product that runs beside
// another gets scratch of its own, allocated by the step; without it the step runs its products
// one after another. Below the size a thread's start (tens of microseconds) is a few hundredths of
// the step's time (about 1.6 ms at 4,096 digits).

constexpr int32_t menor_passo_em_threads = 4096;

// One of a step's products, run by parallel::run_jobs.
template <class Lugar> struct ProdutoEmThread {
    EmDigitos<Lugar> f;
    const int16_t *x, *y;
    Parcial z;
    long long passos; // the steps it took, counted by the thread that ran it
};

template <class Lugar> void calcular(ProdutoEmThread<Lugar> &p) {
    const long long antes = chamadas;
    p.z = produto(p.f, p.x, p.y);
    p.passos = chamadas - antes;
    chamadas = antes;
}

// Runs products p[0, n) at once, and counts their steps in this thread.
template <class Lugar> void calcular_juntos(ProdutoEmThread<Lugar> *p, unsigned n) {
    parallel::run_jobs<ProdutoEmThread<Lugar>, calcular<Lugar>>(p, n);
    for (unsigned i = 0; i < n; ++i) chamadas += p[i].passos;
}

template <class Lugar>
TresParciais tres_produtos_em_threads(const EmDigitos<Lugar> &f, const int16_t *x, const int16_t *y,
                                      SomasDeDigitos s) {
    const Metades d = metades(f.comprimento);
    const int32_t usados = 2 * (d.k + 1);
    int16_t *somas = f.somas + usados;
    Lugar *produtos = f.produtos + usados;
    // Scratch for products of up to k + 1 digits, each of the step's three, beside the shared one.
    const unsigned juntos = f.threads >= 3 ? 3 : 2, proprios = juntos - 1;
    const auto n = static_cast<size_t>(rascunho_necessario(d.k + 1));
    void *area = malloc(proprios * n * (sizeof(int16_t) + sizeof(Lugar)));
    if (area == nullptr) {
        EmDigitos<Lugar> so_um = f;
        so_um.threads = 1;
        return tres_produtos(so_um, x, y, s);
    }
    int16_t *somas_proprias = static_cast<int16_t *>(area);
    auto *produtos_proprios = reinterpret_cast<Lugar *>(somas_proprias + proprios * n);
    ProdutoEmThread<Lugar> p[3] = {
        {{d.h, f.out, somas_proprias, produtos_proprios, 1}, x, y, {}, 0},
        {{d.k, f.out + 2 * d.h, somas, produtos, 1}, x + d.h, y + d.h, {}, 0},
        {{s.m, f.produtos, somas, produtos, f.threads}, s.s1, s.s2, {}, 0}};
    if (juntos == 3) {
        const unsigned cada = f.threads / 3;
        p[0].f.threads = p[1].f.threads = cada;
        p[2].f = EmDigitos<Lugar>{s.m, f.produtos, somas_proprias + n, produtos_proprios + n,
                                  f.threads - 2 * cada};
        calcular_juntos(p, 3);
    } else {
        calcular_juntos(p, 2);
        p[2].z = produto(p[2].f, p[2].x, p[2].y); // z1 on both threads, in the shared scratch
    }
    free(area);
    return {p[0].z, p[1].z, p[2].z};
}

template <class Lugar>
TresParciais tres_produtos(const EmDigitos<Lugar> &f, const int16_t *x, const int16_t *y,
                           SomasDeDigitos s) {
    const Metades d = metades(f.comprimento);
    const int32_t usados = 2 * (d.k + 1); // the half sums' digits, the middle product's places
    int16_t *somas = f.somas + usados;
    Lugar *produtos = f.produtos + usados;
    if (d.k <= maior_span_nativo) { // native halves: products of their values
        const Parcial z1 =
            s.m <= maior_span_nativo
                ? produto_nativo(s.v1, s.v2, s.m, f.produtos)
                : produto(EmDigitos<Lugar>{s.m, f.produtos, somas, produtos, 1}, s.s1, s.s2);
        return {produto_nativo(s.xh, s.yh, d.h, f.out),
                produto_nativo(s.xl, s.yl, d.k, f.out + 2 * d.h), z1};
    }
    if (f.threads > 1 && f.comprimento >= menor_passo_em_threads)
        return tres_produtos_em_threads(f, x, y, s);
    const Parcial z2 = produto(EmDigitos<Lugar>{d.h, f.out, somas, produtos, 1}, x, y);
    const Parcial z0 =
        produto(EmDigitos<Lugar>{d.k, f.out + 2 * d.h, somas, produtos, 1}, x + d.h, y + d.h);
    const Parcial z1 = produto(EmDigitos<Lugar>{s.m, f.produtos, somas, produtos, 1}, s.s1, s.s2);
    return {z2, z0, z1};
}

// With out[0, 2L) = z2 * 10^(2k) + z0 and the middle product z1 on m digits in the scratch:
// out += (z1 - z2 - z0) * 10^k, place by place, computed in z1 first. Returns the record of the
// step's product, its carries settled when its limit passes limite_de_combinacao.
template <class Lugar> Parcial combinar(const EmDigitos<Lugar> &f, TresParciais z, int32_t m) {
    const int32_t L = f.comprimento;
    const Metades d = metades(L);
    // z2 and z0 are aligned at z1's units place; e covers every nonzero place of the three.
    const int32_t e = std::max({z.z1.extensao, z.z2.extensao, z.z0.extensao});
    Lugar *fim = f.produtos + 2 * m;
    subtrair_lugares(fim - z.z2.extensao, f.out + 2 * d.h - z.z2.extensao, z.z2.extensao);
    subtrair_lugares(fim - z.z0.extensao, f.out + 2 * L - z.z0.extensao, z.z0.extensao);
    // The window of e <= 2m <= 2k + 2 places ends k places before out's end, and 2k + 2 <= 2L - k
    // for every L >= 7: the middle term lies inside out.
    somar_lugares(f.out + 2 * L - d.k - e, fim - e, e);
    Parcial r;
    r.limite = std::max(z.z2.limite, z.z0.limite) + z.z1.limite + z.z2.limite + z.z0.limite;
    r.extensao =
        std::max({z.z0.extensao, z.z2.extensao > 0 ? 2 * d.k + z.z2.extensao : 0, d.k + e});
    if (r.limite > limite_de_combinacao<Lugar>()) {
        r.extensao = assentar(f.out, 2 * L, r.extensao);
        r.limite = 9;
    }
    return r;
}

static_assert(maior_span_nativo + 1 >= 7, "a step on digit arrays needs L >= 7");

// The product of two spans as a new record, with the partial products' places held in `Lugar`.
template <class Lugar>
SignedDigits *karatsuba_em(const SignedDigits *x, const SignedDigits *y, int first_x, int last_x,
                           int first_y, int last_y) {
    const int64_t L = static_cast<int64_t>(last_x) - first_x + 1;
    if (L < 1 || static_cast<int64_t>(last_y) - first_y + 1 != L) {
        return converter_int_em_bignumber(0);
    }
    // The product's 2L digits must fit the record; then every length inside the recursion does.
    SignedDigits *z = novo_bignumber(2 * L);
    // The scratch area is no record: its size (about 2L digits and 2L places) is bounded by memory
    // alone.
    const int64_t n = std::max<int64_t>(rascunho_necessario(L), 1);
    void *tmp = malloc(static_cast<size_t>(n) * (sizeof(int16_t) + sizeof(Lugar)) +
                       (std::is_same_v<Lugar, int16_t> ? 0 : static_cast<size_t>(2 * L)));
    malloc_check(tmp);
    int16_t *somas = static_cast<int16_t *>(tmp);
    auto *produtos = reinterpret_cast<Lugar *>(somas + n);
    Lugar *out = reinterpret_cast<Lugar *>(z->digits);
    if constexpr (!std::is_same_v<Lugar, int16_t>) out = produtos + n;
    const EmDigitos<Lugar> f{static_cast<int32_t>(L), out, somas, produtos, parallel::threads};
    const Parcial p = produto(f, x->digits + first_x - 1, y->digits + first_y - 1);
    assentar(out, static_cast<int32_t>(2 * L), p.extensao);
    if constexpr (!std::is_same_v<Lugar, int16_t>) std::copy(out, out + 2 * L, z->digits);
    free(tmp);
    return z;
}

} // namespace

SignedDigits *karatsuba(const SignedDigits *x, const SignedDigits *y, int first_x, int last_x,
                        int first_y, int last_y) {
    return karatsuba_em<int16_t>(x, y, first_x, last_x, first_y, last_y);
}

SignedDigits *karatsuba_lugares_de_8_bits(const SignedDigits *x, const SignedDigits *y, int first_x,
                                          int last_x, int first_y, int last_y) {
    return karatsuba_em<int8_t>(x, y, first_x, last_x, first_y, last_y);
}

long long karatsuba_chamadas() {
    return chamadas;
}

SignedDigits *soma_para_karatsuba(const SignedDigits *n, int high_first, int high_last,
                                  int low_first, int low_last) {
    // Lengths in 64 bits, an empty span for last < first: the sum's length is then checked
    // against the record's size by its allocation.
    const int64_t lh = std::max<int64_t>(static_cast<int64_t>(high_last) - high_first + 1, 0);
    const int64_t ll = std::max<int64_t>(static_cast<int64_t>(low_last) - low_first + 1, 0);
    const int64_t r = std::max(lh, ll);
    SignedDigits *s = novo_bignumber(r + 1);
    const int16_t *alto = n->digits + high_first, *baixo = n->digits + low_first;
    const auto a = static_cast<int32_t>(lh), b = static_cast<int32_t>(ll);
    const int carry = a <= b ? somar_spans(alto, a, baixo, b, s->digits)
                             : somar_spans(baixo, b, alto, a, s->digits);
    if (carry == 0) {
        memmove(s->digits, s->digits + 1, static_cast<size_t>(r) * sizeof(int16_t));
        s->size = static_cast<int32_t>(r);
    }
    return s;
}

SignedDigits *converter_int_em_bignumber(int v) {
    const unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    int32_t n = 1;
    for (unsigned t = magnitude; t >= 10; t /= 10) ++n;
    SignedDigits *r = novo_bignumber(n);
    escrever_digitos(magnitude, r->digits, n);
    r->sign = v < 0 ? '-' : '+';
    return r;
}

int converter_bignumber_em_int(const SignedDigits *n, int first, int last) {
    const int64_t len = static_cast<int64_t>(last) - first + 1;
    return len < 1 ? 0 : static_cast<int>(valor(n->digits + first, static_cast<int32_t>(len)));
}

void left_shift(SignedDigits *n, int k) {
    if (k <= 0) return;
    int16_t *novo = aloca_digitos(static_cast<int64_t>(n->size) + k);
    memcpy(novo, n->digits, static_cast<size_t>(n->size) * sizeof(int16_t));
    memset(novo + n->size, 0, static_cast<size_t>(k) * sizeof(int16_t));
    free(n->digits);
    n->digits = novo;
    n->size += k;
}

void igualar_tamanho(SignedDigits *a, SignedDigits *b) {
    if (a->size > b->size)
        preencher_zeros(b, a->size);
    else if (b->size > a->size)
        preencher_zeros(a, b->size);
}

// ---------------------------------------------------------------- input and output

namespace {

// Doubles the capacity of the array being read into (the record keeps pointing at it), up to the
// largest count the record's size holds; a line longer than that takes the out-of-memory exit.
void crescer(SignedDigits *n, int32_t *capacidade) {
    if (*capacidade == INT32_MAX) malloc_check(nullptr);
    const int32_t nova = *capacidade > INT32_MAX / 2 ? INT32_MAX : 2 * *capacidade;
    void *p = realloc(n->digits, static_cast<size_t>(nova) * sizeof(int16_t));
    malloc_check(p);
    n->digits = static_cast<int16_t *>(p);
    *capacidade = nova;
}

// Reads an operand line from its first byte `c` up to the newline. Digits are stored; a "-"
// before any digit or other "-" is the sign; every other byte is ignored. A line without digits
// is zero. Returns false, with the record still freeable, if the input ends before the newline.
bool ler_operando(SignedDigits *n, int c) {
    int32_t capacidade = 10, conta = 0;
    n->size = 0;
    n->sign = '+';
    n->digits = aloca_digitos(capacidade);
    bool sinal_possivel = true;
    for (; c != '\n'; c = proximo_byte()) {
        if (c == EOF) return false;
        if (c == '-') {
            if (sinal_possivel) n->sign = '-';
            sinal_possivel = false;
            continue;
        }
        if (c < '0' || c > '9') continue;
        sinal_possivel = false;
        if (conta == capacidade) crescer(n, &capacidade);
        n->digits[conta++] = static_cast<int16_t>(c - '0');
    }
    if (conta == 0) n->digits[conta++] = 0;
    if (conta < capacidade) {
        void *p = realloc(n->digits, static_cast<size_t>(conta) * sizeof(int16_t));
        malloc_check(p);
        n->digits = static_cast<int16_t *>(p);
    }
    n->size = conta;
    return true;
}

} // namespace

int proximo_byte() {
    return calc_io::next_byte_folding_crlf(); // a lone CR is a stray byte
}

bool le_bignumber(SignedDigits *n, int primeiro) {
    return ler_operando(n, primeiro);
}

bool le_bignumber2(SignedDigits *n) {
    return ler_operando(n, proximo_byte());
}

int fim_da_execucao() {
    return calc_io::end_of_run();
}

void imprime_bignumber(const SignedDigits *n) {
    if (n->size <= 0) return;
    int32_t i = std::min(zeros_na_frente(n->digits, n->size), n->size - 1);
    // Digits go out in blocks through fwrite rather than one printf("%d") each: same bytes,
    // a fraction of the cost on long numbers.
    char bloco[4096];
    size_t usados = 0;
    for (; i < n->size; ++i) {
        bloco[usados++] = static_cast<char>('0' + n->digits[i]);
        if (usados == sizeof bloco) {
            fwrite(bloco, 1, usados, stdout);
            usados = 0;
        }
    }
    fwrite(bloco, 1, usados, stdout);
}

} // namespace karatsuba_calc
