// Signed decimal numbers as digit arrays: magnitude operations, sign cases, Karatsuba
// multiplication, then reading and printing.
#include "bignumber.hpp"

#include "calc_io.hpp"

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

long long chamadas = 0;

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

// ---- The recursion's steps on native values
//
// A span of up to maior_span_nativo digits is held as its value in 64 bits, and its step runs the
// recursion on values: the halves are the quotient and remainder by 10^k, the half sums are native
// sums (a carry out of k digits is the sum reaching 10^k) and every span of up to three digits is
// one native product, as on digits. Same splits, same steps, no digit array.

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

// The product of the spans of L digits whose values are x and y, by the recursion on values; each
// step counts in `chamadas`.
template <int L> uint64_t produto_de_valores(uint64_t x, uint64_t y) {
    ++chamadas;
    if constexpr (L <= 3) {
        return x * y; // the step's native product, at most 999 * 999
    } else {
        if (x == 0 || y == 0) return 0; // a span of zeros
        constexpr int h = L / 2, k = L - h;
        constexpr uint64_t base = potencia_de_dez(k);
        const uint64_t xh = x / base, xl = x % base, yh = y / base, yl = y % base;
        const uint64_t z2 = produto_de_valores<h>(xh, yh);
        const uint64_t z0 = produto_de_valores<k>(xl, yl);
        const uint64_t s1 = xh + xl, s2 = yh + yl;
        const uint64_t z1 = s1 >= base || s2 >= base ? produto_de_valores<k + 1>(s1, s2)
                                                     : produto_de_valores<k>(s1, s2);
        return (z2 * base + (z1 - z2 - z0)) * base + z0;
    }
}

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

template <int L, class Lugar> Parcial produto_nativo(uint64_t x, uint64_t y, Lugar *out) {
    return escrever_produto<L>(produto_de_valores<L>(x, y), out);
}

// out[0, 2n) = x * y for the values of two spans of n <= maior_span_nativo digits.
template <class Lugar> Parcial produto_nativo(uint64_t x, uint64_t y, int32_t n, Lugar *out) {
    switch (n) {
    case 1:
        return produto_nativo<1>(x, y, out);
    case 2:
        return produto_nativo<2>(x, y, out);
    case 3:
        return produto_nativo<3>(x, y, out);
    case 4:
        return produto_nativo<4>(x, y, out);
    case 5:
        return produto_nativo<5>(x, y, out);
    case 6:
        return produto_nativo<6>(x, y, out);
    case 7:
        return produto_nativo<7>(x, y, out);
    case 8:
        return produto_nativo<8>(x, y, out);
    default:
        return produto_nativo<9>(x, y, out);
    }
}

// ---- The recursion's steps on digit arrays
//
// A step on longer spans keeps the places of its partial products without carrying: the middle
// term z1 - z2 - z0 is formed place by place and added place by place, loops the compiler turns
// into vector instructions. Places then exceed a digit, and may be negative; the bound that keeps
// them in their type, `Lugar`:
// - a native step writes digits (limit 9); a zero product is all zeros (limit 0);
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

// With out[0, 2L) = z2 * 10^(2k) + z0 and z1[0, 2m) the product of the half sums (p2, p0 and p1
// their partial-product records): out += (z1 - z2 - z0) * 10^k, place by place, computed in z1
// first. Returns the record of the step's product.
template <class Lugar>
Parcial somar_termo_do_meio(int32_t L, Lugar *out, Parcial p2, Parcial p0, Lugar *z1, int32_t m,
                            Parcial p1) {
    const int32_t h = L / 2, k = L - h;
    // z2 and z0 are aligned at z1's units place; e covers every nonzero place of the three.
    const int32_t e = std::max({p1.extensao, p2.extensao, p0.extensao});
    Lugar *fim = z1 + 2 * m;
    subtrair_lugares(fim - p2.extensao, out + 2 * h - p2.extensao, p2.extensao);
    subtrair_lugares(fim - p0.extensao, out + 2 * L - p0.extensao, p0.extensao);
    // The window of e <= 2m <= 2k + 2 places ends k places before out's end, and 2k + 2 <= 2L - k
    // for every L >= 7: the middle term lies inside out.
    somar_lugares(out + 2 * L - k - e, fim - e, e);
    Parcial r;
    r.limite = std::max(p2.limite, p0.limite) + p1.limite + p2.limite + p0.limite;
    // What the settling below keeps true, checked in every build: one comparison per step.
    if (r.limite > std::numeric_limits<Lugar>::max()) abort();
    r.extensao = std::max({p0.extensao, p2.extensao > 0 ? 2 * k + p2.extensao : 0, k + e});
    if (r.limite > limite_de_combinacao<Lugar>()) {
        r.extensao = assentar(out, 2 * L, r.extensao);
        r.limite = 9;
    }
    return r;
}

static_assert(maior_span_nativo + 1 >= 7, "a step on digit arrays needs L >= 7");
static_assert(limite_de_combinacao<int8_t>() >= 9, "settled digits must be combinable");

// Places that each region of the scratch needs for spans of length L: a step holds two half sums
// of k + 1 digits (k the low half's length) and their product of 2k + 2 places while the middle
// product recurses on at most k + 1 digits; the outer products finish before and reuse it.
int64_t rascunho_necessario(int64_t L) {
    int64_t total = 0;
    while (L > maior_span_nativo) {
        int64_t m = L - L / 2 + 1;
        total += 2 * m;
        L = m;
    }
    return total;
}

// Zeros in front of a factor x[0, L) of a step (L >= 4), counted only from three on: fewer change
// nothing in the step, and balanced factors then pay three loads for the count.
int32_t zeros_em_excesso(const int16_t *x, int32_t L) {
    return (x[0] | x[1] | x[2]) == 0 ? zeros_na_frente(x, L) : 0;
}

// s[0, k] = value(x[0, h)) + value(x[h, h + k)), the sum of a factor's halves, given zx, the
// factor's zeros in front as zeros_em_excesso counts them. Returns s[0], the carry out.
int somar_metades(const int16_t *x, int32_t h, int32_t k, int32_t zx, int16_t *s) {
    if (zx < h) return somar_spans(x, h, x + h, k, s);
    s[0] = 0; // a zero high half: the sum is the low half, copied
    memcpy(s + 1, x + h, static_cast<size_t>(k) * sizeof(int16_t));
    return 0;
}

template <class Lugar>
Parcial produto_span(const int16_t *x, const int16_t *y, int32_t L, Lugar *out, int16_t *somas,
                     Lugar *produtos);

// One step of the recursion on spans of any length: on values up to maior_span_nativo digits, on
// digit arrays beyond.
template <class Lugar>
Parcial produto(const int16_t *x, const int16_t *y, int32_t L, Lugar *out, int16_t *somas,
                Lugar *produtos) {
    if (L > maior_span_nativo) return produto_span(x, y, L, out, somas, produtos);
    return produto_nativo(valor(x, L), valor(y, L), L, out);
}

// The two outer products and the half sums of a step whose low half is native (k <=
// maior_span_nativo), from the values of the halves; the middle product as well when it is native.
// Returns the middle product's record and its length m.
template <class Lugar>
Parcial metades_nativas(const int16_t *x, const int16_t *y, int32_t L, Lugar *out, int16_t *somas,
                        Lugar *produtos, int32_t *m, Parcial *p2, Parcial *p0) {
    const int32_t h = L / 2, k = L - h;
    const uint64_t xh = valor(x, h), xl = valor(x + h, k), yh = valor(y, h), yl = valor(y + h, k);
    *p2 = produto_nativo(xh, yh, h, out);
    *p0 = produto_nativo(xl, yl, k, out + 2 * h);
    const uint64_t s1 = xh + xl, s2 = yh + yl, base = potencia_de_dez(k);
    *m = k + (s1 >= base || s2 >= base);
    if (*m <= maior_span_nativo) return produto_nativo(s1, s2, *m, produtos);
    // Half sums of one digit more than a native span: their digits, for a step on digit arrays.
    int16_t *d1 = somas, *d2 = somas + *m;
    static_assert(2 * (potencia_de_dez(maior_span_nativo) - 1) <=
                      std::numeric_limits<unsigned>::max(),
                  "a native half sum fits the unsigned that escrever_digitos takes");
    escrever_digitos(static_cast<unsigned>(s1), d1, *m);
    escrever_digitos(static_cast<unsigned>(s2), d2, *m);
    const int32_t usados = 2 * (k + 1);
    return produto_span(d1, d2, *m, produtos, somas + usados, produtos + usados);
}

// out[0, 2L) = x[0, L) * y[0, L), zero padded in front, for L > maior_span_nativo. One call is one
// step of the Karatsuba recursion: the spans split into a high half of floor(L/2) digits and a low
// half of ceil(L/2) digits, and three half-size products (high, low, sum of halves) are combined.
// The middle product runs on the half sums padded to the longer of the two, as the record-level
// tools would leave them. A span of zeros in either factor gives a zero product at once, without
// recursing: a short factor padded to the long one's length then costs what its digits need.
//
// Built from the record tools (soma_para_karatsuba, left_shift, ...), every partial product, half
// sum and shift would be a heap record of its own. Here the two outer products are written straight
// into their final places in `out` (the shift by 10^(2k) is where they sit), the half sums and the
// middle product live in the scratch, allocated once per multiplication, and the middle term is
// added at its shift of 10^k in place. The half sums are digits, carried as they are added: whether
// a sum carries out of k digits sets the middle product's length. The partial products' places are
// combined without carrying, within the bound stated above. Same splits, same native products, same
// three products per level; no allocation inside the recursion.
template <class Lugar>
Parcial produto_span(const int16_t *x, const int16_t *y, int32_t L, Lugar *out, int16_t *somas,
                     Lugar *produtos) {
    ++chamadas;
    const int32_t zx = zeros_em_excesso(x, L), zy = zeros_em_excesso(y, L);
    if (zx == L || zy == L) {
        std::fill(out, out + 2 * L, Lugar{0});
        return {0, 0};
    }
    const int32_t h = L / 2, k = L - h;
    Parcial p2, p0, p1;
    int32_t m;
    if (k <= maior_span_nativo) {
        p1 = metades_nativas(x, y, L, out, somas, produtos, &m, &p2, &p0);
    } else {
        p2 = produto(x, y, h, out, somas, produtos);                 // z2 = xH * yH, at 10^(2k)
        p0 = produto(x + h, y + h, k, out + 2 * h, somas, produtos); // z0 = xL * yL, at 10^0
        int16_t *s1 = somas, *s2 = somas + (k + 1);
        const int c1 = somar_metades(x, h, k, zx, s1);
        const int c2 = somar_metades(y, h, k, zy, s2);
        m = k + (c1 | c2);                // both sums padded to the longer one
        const int32_t pula = (k + 1) - m; // leading zero digit that neither sum needs
        const int32_t usados = 2 * (k + 1);
        p1 = produto(s1 + pula, s2 + pula, m, produtos, somas + usados, produtos + usados);
    }
    return somar_termo_do_meio(L, out, p2, p0, produtos, m, p1);
}

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
    const Parcial p = produto(x->digits + first_x - 1, y->digits + first_y - 1,
                              static_cast<int32_t>(L), out, somas, produtos);
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
