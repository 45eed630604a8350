// The number record of ascii_calc and its reader, printer and arithmetic.
#pragma once

#include <cstdint>

namespace ascii_calc {

// A signed integer as digit characters, least significant first. The holder of the pointer owns
// the record and its buffer; liberar_bignumber frees both.
struct CharNumber {
    char *digits;   // '0'..'9', units digit at index 0, NUL-terminated
    int32_t length; // count of digit characters; -1 marks the end-of-input record
    int16_t sign;   // 1 (positive or zero) or -1; 0 only in the end-of-input record
};

// Input, the end of the run and the failure path.
// Next byte of standard input, with CR LF folded into LF; EOF at the end of input or a read error.
int proximo_byte();
// Flushes standard output; the run's exit status: 0, or 1 when the input could not be read or the
// output could not be written.
int fim_da_execucao();
// Prints "Erro de alocacao de memoria" on a line of its own and ends the process with status 1.
[[noreturn]] void falha_alocacao();

// Records: reading, printing, release.
// Allocates an empty record; the caller owns it.
CharNumber *novo_bignumber();
// Reads one line into buffer (at least 64 bytes), keeping digits and noting '-' in *sign; sets
// *length at the newline only (a line cut off by end of input leaves it as it was). Returns the
// buffer, which may have moved.
char *ler_string_dinamica(char *buffer, int32_t *length, int16_t *sign);
// Fills record from the next line and returns it; no digit or no newline gives length -1, sign 0,
// and so does any line after a read error.
CharNumber *ler_bignumber(CharNumber *record);
// Reverses the first n characters of buffer in place.
void revert(char *buffer, int32_t n);
// Prints the number (with '-' when sign is -1) and a newline.
void imprimir_big_number(const CharNumber *record);
// Frees the digits, then the record; a null record is ignored.
void liberar_bignumber(CharNumber *record);

// Signed layer: operands normalised (no leading zeros, no negative zero).
// Exchanges the two pointers.
void swap(CharNumber **first, CharNumber **second);
// Exchanges the variables when the second holds the larger magnitude; signs play no part.
void ordenar_por_magnitude(CharNumber **first, CharNumber **second);
// Adds *second into *first (larger or equal magnitude) in place; neither sign changes.
CharNumber *auxiliar_soma(CharNumber **first, CharNumber **second);
// Drops leading zeros; zero becomes "0" with sign 1. Returns the record.
CharNumber *remover_zero_esquerda(CharNumber **record);

// Returns the sum in *first's place; *second holds the other operand afterwards.
CharNumber *somar_bignumbers(CharNumber **first, CharNumber **second);
// Returns first - second likewise; the second operand's record keeps its sign negated.
CharNumber *subtrair_bignumbers(CharNumber **first, CharNumber **second);
// Returns a new record with the product, frees the old *first and stores the product there.
CharNumber *multiplicar_bignumbers(CharNumber **first, CharNumber **second);

} // namespace ascii_calc
