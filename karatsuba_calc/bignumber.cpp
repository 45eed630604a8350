// Signed decimal numbers as digit arrays: magnitude operations, sign cases, Karatsuba
// multiplication, then reading and printing.
#include "bignumber.hpp"

#include "calc_io.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// s[0, lb] = value(a[0, la)) + value(b[0, lb)) for any la <= lb (a may be empty), aligned at the
// units digit: one digit longer than b. Returns s[0], the carry out (0 or 1).
int somar_spans(const int16_t *a, int32_t la, const int16_t *b, int32_t lb, int16_t *s) {
    const int32_t d = lb - la;
    int carry = 0;
    for (int32_t j = la - 1; j >= 0; --j) {
        const int t = a[j] + b[j + d] + carry;
        carry = t > 9;
        s[j + d + 1] = static_cast<int16_t>(t - 10 * carry);
    }
    for (int32_t j = d - 1; j >= 0; --j) { // the digits of b in front of a: the carry alone
        const int t = b[j] + carry;
        carry = t > 9;
        s[j + 1] = static_cast<int16_t>(t - 10 * carry);
    }
    s[0] = static_cast<int16_t>(carry);
    return carry;
}

// Scratch digits that produto_span needs for spans of length L: each level holds the two half
// sums (k + 1 digits each, k the low half's length) and their product (2k + 2 digits) while the
// middle product recurses on at most k + 1 digits; the outer products finish before and reuse it.
int64_t rascunho_necessario(int64_t L) {
    int64_t total = 0;
    while (L > 3) {
        int64_t m = L - L / 2 + 1;
        total += 4 * m;
        L = m;
    }
    return total;
}

void produto_span(const int16_t *x, const int16_t *y, int32_t L, int16_t *out, int16_t *tmp);

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
// in place of a chain of six divisions by 10.
constexpr std::array<TresDigitos, 1000> tres_digitos = tabela_tres_digitos();

// Value of a span of 1 to 3 digits. Written without branches on len (it reads p[0] and p[len - 1]
// twice rather than past the span): the leaves' lengths vary with the data.
unsigned valor_curto(const int16_t *p, int32_t len) {
    const unsigned a = static_cast<unsigned>(p[0]), b = static_cast<unsigned>(p[len > 1]),
                   c = static_cast<unsigned>(p[len - 1]);
    const unsigned dois = 10 * a + c, tres = 100 * a + 10 * b + c;
    return len == 1 ? c : len == 2 ? dois : tres;
}

// z1[0, n1) -= value(z2[0, n2)) + value(z0[0, n0)), aligned at the units digit, in one pass
// (n2 <= n0 <= n1 <= n0 + 2; the difference is not negative). A position's borrow is 0, 1 or 2.
void subtrair_produtos(int16_t *z1, int32_t n1, const int16_t *z2, int32_t n2, const int16_t *z0,
                       int32_t n0) {
    int borrow = 0;
    int32_t i = n1 - 1, j = n0 - 1;
    for (int32_t l = n2 - 1; l >= 0; --i, --j, --l) {
        const int t = z1[i] - z2[l] - z0[j] - borrow;
        borrow = (t < 0) + (t < -10);
        z1[i] = static_cast<int16_t>(t + 10 * borrow);
    }
    for (; j >= 0; --i, --j) {
        const int t = z1[i] - z0[j] - borrow;
        borrow = (t < 0) + (t < -10);
        z1[i] = static_cast<int16_t>(t + 10 * borrow);
    }
    for (; i >= 0; --i) {
        const int t = z1[i] - borrow;
        borrow = t < 0;
        z1[i] = static_cast<int16_t>(t + 10 * borrow);
    }
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

// With out[0, 2L) = z2 * 10^(2k) + z0 and z1[0, 2m) the product of the half sums of two factors
// with zx and zy zeros in front: out += (z1 - z2 - z0) * 10^k, computed in z1 first.
void somar_termo_do_meio(int32_t L, int32_t zx, int32_t zy, int16_t *out, int16_t *z1, int32_t m) {
    const int32_t h = L / 2, k = L - h;
    // Only the last e digits of z1, z2 and z0 can be nonzero (a factor with z zeros in front has
    // half sums of at most min(L - z, k) + 1 digits), so the passes below skip the zeros in front
    // that a padded factor brings.
    int32_t e = 2 * m;
    if ((zx | zy) != 0) e = std::min(e, std::min(L - zx, k) + std::min(L - zy, k) + 2);
    const int32_t e2 = std::min(2 * h, e), e0 = std::min(2 * k, e);
    subtrair_produtos(z1 + 2 * m - e, e, out + 2 * h - e2, e2, out + 2 * L - e0, e0);
    // The product fits in 2L digits, so any digit of z1 beyond them is zero.
    const int32_t janela = 2 * L - k;
    const int32_t n = std::min(e, janela);
    somar_em(out, janela, z1 + 2 * m - n, n);
}

// out[0, 2L) = x[0, L) * y[0, L) for L of 1 to 3: the recursion's last step, one native product
// of at most 999 * 999.
void produto_nativo(const int16_t *x, const int16_t *y, int32_t L, int16_t *out) {
    ++chamadas;
    const unsigned p = valor_curto(x, L) * valor_curto(y, L);
    const TresDigitos &baixo = tres_digitos[p % 1000];
    if (L == 1) {
        out[0] = baixo.d[1];
        out[1] = baixo.d[2];
        return;
    }
    if (L == 2) out[0] = static_cast<int16_t>(p / 1000);
    if (L == 3) memcpy(out, tres_digitos[p / 1000].d, sizeof(TresDigitos));
    memcpy(out + 2 * L - 3, baixo.d, sizeof(TresDigitos));
}

// One step of the recursion on spans of any length: native up to three digits, split beyond.
inline void produto(const int16_t *x, const int16_t *y, int32_t L, int16_t *out, int16_t *tmp) {
    if (L <= 3)
        produto_nativo(x, y, L, out);
    else
        produto_span(x, y, L, out, tmp);
}

// out[0, 2L) = x[0, L) * y[0, L), zero padded in front. One call is one step of the Karatsuba
// recursion: spans of up to three digits are multiplied natively; longer spans split into a high
// half of floor(L/2) digits and a low half of ceil(L/2) digits, and three half-size products
// (high, low, sum of halves) are combined. The middle product runs on the half sums padded to
// the longer of the two, as the record-level tools would leave them. A span of zeros in either
// factor gives a zero product at once, without recursing: a short factor padded to the long
// one's length then costs what its digits need.
//
// Built from the record tools (soma_para_karatsuba, left_shift, ...), every partial product, half
// sum and shift would be a heap record of its own. Here the two outer products are written straight
// into their final places in `out` (the shift by 10^(2k) is where they sit), the half sums and the
// middle product live in `tmp`, a scratch area allocated once per multiplication, and the middle
// term is added at its shift of 10^k in place. Same splits, same base case, same three products per
// level; no allocation inside the recursion.
void produto_span(const int16_t *x, const int16_t *y, int32_t L, int16_t *out, int16_t *tmp) {
    ++chamadas;
    const int32_t zx = zeros_em_excesso(x, L), zy = zeros_em_excesso(y, L);
    if (zx == L || zy == L) {
        memset(out, 0, static_cast<size_t>(2 * L) * sizeof(int16_t));
        return;
    }
    const int32_t h = L / 2, k = L - h;
    produto(x, y, h, out, tmp);                 // z2 = xH * yH, at 10^(2k)
    produto(x + h, y + h, k, out + 2 * h, tmp); // z0 = xL * yL, at 10^0

    int16_t *s1 = tmp, *s2 = tmp + (k + 1), *z1 = tmp + 2 * (k + 1);
    const int c1 = somar_metades(x, h, k, zx, s1);
    const int c2 = somar_metades(y, h, k, zy, s2);
    const int32_t m = k + (c1 | c2);  // both sums padded to the longer one
    const int32_t pula = (k + 1) - m; // leading zero digit that neither sum needs
    produto(s1 + pula, s2 + pula, m, z1, z1 + 2 * (k + 1));
    somar_termo_do_meio(L, zx, zy, out, z1, m);
}

} // namespace

SignedDigits *karatsuba(const SignedDigits *x, const SignedDigits *y, int first_x, int last_x,
                        int first_y, int last_y) {
    const int64_t L = static_cast<int64_t>(last_x) - first_x + 1;
    if (L < 1 || static_cast<int64_t>(last_y) - first_y + 1 != L) {
        return converter_int_em_bignumber(0);
    }
    // The product's 2L digits must fit the record; then every length inside the recursion does.
    SignedDigits *z = novo_bignumber(2 * L);
    // The scratch area is no record: its size (about 4L digits) is bounded by memory alone.
    void *tmp =
        malloc(static_cast<size_t>(std::max<int64_t>(rascunho_necessario(L), 1)) * sizeof(int16_t));
    malloc_check(tmp);
    produto(x->digits + first_x - 1, y->digits + first_y - 1, static_cast<int32_t>(L), z->digits,
            static_cast<int16_t *>(tmp));
    free(tmp);
    return z;
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
    return len < 1 ? 0
                   : static_cast<int>(valor_curto(n->digits + first, static_cast<int32_t>(len)));
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
