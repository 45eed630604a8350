// Character numbers of ascii_calc: input, records, printing and the arithmetic on them.
#include "BigNumber.hpp"

#include "calc_io.hpp"
#include "digit_product.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ascii_calc {

// ---- input, end of the run and the failure path -------------------------------------------------

int proximo_byte() {
    return calc_io::next_byte_folding_crlf(); // a lone CR is an ordinary byte
}

int fim_da_execucao() {
    return calc_io::end_of_run();
}

void falha_alocacao() {
    puts("Erro de alocacao de memoria");
    exit(1);
}

// ---- records: allocation, reading, printing, release --------------------------------------------

namespace {

// A line buffer starts with room for 63 digits, so that the usual operand needs no reallocation.
constexpr size_t capacidade_inicial = 64;

char *alocar_texto(size_t bytes) {
    char *texto = static_cast<char *>(malloc(bytes));
    if (texto == nullptr) falha_alocacao();
    return texto;
}

char *realocar_texto(char *texto, size_t bytes) {
    char *novo = static_cast<char *>(realloc(texto, bytes));
    if (novo == nullptr) falha_alocacao();
    return novo;
}

// Doubles the line buffer. A fixed step of ten bytes made reading a long line spend its time in
// realloc copies (up to twice the time of a whole run on ten-million-digit operands); doubling
// keeps reading linear. A line longer than the length field can count is treated like a buffer
// that cannot grow.
char *crescer_buffer(char *buffer, size_t *capacidade) {
    const size_t limite = static_cast<size_t>(INT32_MAX);
    if (*capacidade >= limite) falha_alocacao();
    *capacidade = (*capacidade > limite / 2) ? limite : *capacidade * 2;
    return realocar_texto(buffer, *capacidade);
}

} // namespace

CharNumber *novo_bignumber() {
    CharNumber *record = static_cast<CharNumber *>(malloc(sizeof(CharNumber)));
    if (record == nullptr) falha_alocacao();
    record->digits = nullptr;
    record->length = -1;
    record->sign = 0;
    return record;
}

char *ler_string_dinamica(char *buffer, int32_t *length, int16_t *sign) {
    size_t capacidade = capacidade_inicial;
    size_t quantidade = 0;
    buffer[0] = '\0';
    for (int c = proximo_byte(); c != EOF; c = proximo_byte()) {
        if (c == '\n') {
            buffer[quantidade] = '\0';
            *length = static_cast<int32_t>(quantidade);
            return buffer;
        }
        if (c == '-') *sign = -1;
        if (c < '0' || c > '9') continue; // a minus sign negates; every other byte is ignored
        buffer[quantidade++] = static_cast<char>(c);
        if (quantidade + 1 >= capacidade) buffer = crescer_buffer(buffer, &capacidade);
    }
    buffer[quantidade] = '\0';
    return buffer;
}

CharNumber *ler_bignumber(CharNumber *record) {
    int32_t length = -1; // stays -1 when end of input comes before the newline
    int16_t sign = 1;
    record->digits = ler_string_dinamica(alocar_texto(capacidade_inicial), &length, &sign);
    if (length <= 0) {
        record->digits[0] = '\0';
        record->length = -1;
        record->sign = 0;
        return record;
    }
    revert(record->digits, length);
    record->length = length;
    record->sign = sign;
    return record;
}

void revert(char *buffer, int32_t n) {
    for (int32_t frente = 0, tras = n - 1; frente < tras; ++frente, --tras) {
        const char c = buffer[frente];
        buffer[frente] = buffer[tras];
        buffer[tras] = c;
    }
}

// Writes the digits most significant first through a small block: one library call per block
// instead of one per digit, the same bytes.
void imprimir_big_number(const CharNumber *record) {
    if (record->sign == -1) putchar('-');
    char bloco[4096];
    int32_t i = record->length;
    while (i > 0) {
        size_t n = 0;
        while (i > 0 && n < sizeof bloco) bloco[n++] = record->digits[--i];
        fwrite(bloco, 1, n, stdout);
    }
    putchar('\n');
}

void liberar_bignumber(CharNumber *record) {
    if (record == nullptr) return;
    free(record->digits);
    free(record);
}

// ---- magnitudes: digit characters, least significant first --------------------------------------

namespace {

// One digit step: v = digit + delta; keeps v when it is a digit, otherwise stores v - 10 * o.
// Returns the carry (addition) or borrow (subtraction) for the next position.
inline int passo_digito(char *digito, int delta, int o) {
    const int v = *digito - '0' + delta;
    const int fora = (v < 0) | (v > 9);
    *digito = static_cast<char>('0' + v - 10 * o * fora);
    return fora;
}

// Adds (o = 1) or subtracts (o = -1) b into a, where len_a >= len_b; returns the carry out of the
// top digit of a, which only an addition can leave.
int acumular_digitos(char *a, int32_t len_a, const char *b, int32_t len_b, int o) {
    int c = 0;
    int32_t i = 0;
    for (; i < len_b; ++i) c = passo_digito(a + i, o * (b[i] - '0' + c), o);
    for (; i < len_a && c != 0; ++i) c = passo_digito(a + i, o * c, o);
    return c;
}

// Schoolbook product of a and b into the len_a + len_b characters of r. The digit products are
// summed by column and each column's carry is settled once (digit_product.hpp), not row by row;
// the product's characters are the same.
void multiplicar_magnitudes(const char *a, int32_t len_a, const char *b, int32_t len_b, char *r) {
    const size_t la = static_cast<size_t>(len_a), lb = static_cast<size_t>(len_b);
    auto *rascunho =
        reinterpret_cast<uint8_t *>(alocar_texto(digit_product::scratch_bytes(la, lb)));
    digit_product::multiply(reinterpret_cast<const uint8_t *>(a), la,
                            reinterpret_cast<const uint8_t *>(b), lb, '0', rascunho,
                            reinterpret_cast<uint8_t *>(r));
    free(rascunho);
}

// Index of the first position from the top where a and b (equally long) differ, or -1.
int32_t primeira_diferenca(const char *a, const char *b, int32_t length) {
    for (int32_t i = length - 1; i >= 0; --i)
        if (a[i] != b[i]) return i;
    return -1;
}

} // namespace

// ---- signed layer -------------------------------------------------------------------------------

void swap(CharNumber **first, CharNumber **second) {
    CharNumber *guardado = *first;
    *first = *second;
    *second = guardado;
}

void ordenar_por_magnitude(CharNumber **first, CharNumber **second) {
    const CharNumber *a = *first;
    const CharNumber *b = *second;
    if (a->length != b->length) {
        if (a->length < b->length) swap(first, second);
        return;
    }
    const int32_t i = primeira_diferenca(a->digits, b->digits, a->length);
    if (i >= 0 && a->digits[i] < b->digits[i]) swap(first, second);
}

CharNumber *auxiliar_soma(CharNumber **first, CharNumber **second) {
    CharNumber *a = *first;
    const CharNumber *b = *second;
    // a keeps its sign and is worked on as a magnitude; b's digits are added to it when the two
    // signs agree (o = 1) and subtracted when they differ (o = -1). No sign changes.
    const int o = a->sign * b->sign;
    if (acumular_digitos(a->digits, a->length, b->digits, b->length, o) != 0) {
        a->digits = realocar_texto(a->digits, static_cast<size_t>(a->length) + 2);
        a->digits[a->length] = '1';
        a->digits[a->length + 1] = '\0';
        a->length += 1;
    }
    return a;
}

// The buffer keeps its size: the unused tail is not observable and shrinking it would only add a
// reallocation that can fail.
CharNumber *remover_zero_esquerda(CharNumber **record) {
    CharNumber *n = *record;
    if (n->length < 1 || n->digits[n->length - 1] != '0') return n;
    int32_t topo = n->length;
    while (topo > 0 && n->digits[topo - 1] == '0') --topo;
    if (topo > 0) {
        n->length = topo;
        n->digits[topo] = '\0';
    } else {
        n->digits[0] = '0';
        n->digits[1] = '\0';
        n->length = 1;
        n->sign = 1;
    }
    return n;
}

CharNumber *somar_bignumbers(CharNumber **first, CharNumber **second) {
    ordenar_por_magnitude(first, second);
    *first = auxiliar_soma(first, second);
    *first = remover_zero_esquerda(first);
    return *first;
}

CharNumber *subtrair_bignumbers(CharNumber **first, CharNumber **second) {
    (*second)->sign = static_cast<int16_t>(-(*second)->sign);
    return somar_bignumbers(first, second);
}

CharNumber *multiplicar_bignumbers(CharNumber **first, CharNumber **second) {
    CharNumber *a = *first;
    const CharNumber *b = *second;
    const int64_t n = static_cast<int64_t>(a->length) + b->length;
    if (n >= INT32_MAX) falha_alocacao(); // the product's length could not be counted

    CharNumber *produto = novo_bignumber();
    produto->digits = alocar_texto(static_cast<size_t>(n) + 1);
    produto->digits[n] = '\0';
    produto->length = static_cast<int32_t>(n);
    multiplicar_magnitudes(a->digits, a->length, b->digits, b->length, produto->digits);
    produto->sign = (a->sign == b->sign) ? 1 : -1;
    remover_zero_esquerda(&produto);

    liberar_bignumber(a);
    *first = produto;
    return produto;
}

} // namespace ascii_calc
