// Signed decimal numbers of any length held as digit arrays, and their arithmetic.
#pragma once

#include <cstdint>

namespace karatsuba_calc {

// A number: one heap record owning one heap array of digit values.
// free_bignumber releases both; operations that return a record give the caller that ownership.
struct SignedDigits {
    int32_t size;    // number of digit values in digits
    int16_t *digits; // digit values 0 to 9, most significant first; the last one is the units digit
    char sign;       // '+' for zero or positive, '-' for negative
};

// --- Memory and records ---
// Returns if p is not null; otherwise prints the out-of-memory message and exits with status 1.
// It reads no byte behind p (said to the compiler, which would otherwise take a fresh block passed
// here for a read of uninitialised memory).
[[gnu::access(none, 1)]] void malloc_check(const void *p);
// Frees the digit array, then the record (either may be null).
void free_bignumber(SignedDigits *n);

// --- Magnitudes (sign never read or written) ---
// Removes leading zero digits in place, keeping at least one digit.
void retirar_zeros_esquerda(SignedDigits *n);
// Strips both, then returns the one of larger magnitude; the first on a tie.
SignedDigits *maior(SignedDigits *a, SignedDigits *b);
// x += y, aligned at the units digit (x is the longer); x grows by a digit on a carry out.
void soma_bignumbers(SignedDigits *x, const SignedDigits *y);
// x -= y, aligned at the units digit; needs x at least as long and as large as y; size kept.
void subtracao_bignumbers(SignedDigits *x, const SignedDigits *y);
// Exchanges size and digits of the two records; each keeps its sign.
void swap_bignumbers(SignedDigits *a, SignedDigits *b);

// --- Signed operations: each prints its result (sign, magnitude), no newline ---
// Prints a + b, computed in place in the operand of larger magnitude.
void casos_operacao_soma(SignedDigits *a, SignedDigits *b);
// Prints a - b, computed in place in the operand of larger magnitude.
void casos_operacao_subtracao(SignedDigits *a, SignedDigits *b);
// Pads the shorter operand with leading zeros, multiplies, prints; the caller keeps both records.
void casos_operacao_multiplicacao(SignedDigits *a, SignedDigits *b);

// --- Multiplication tools ---
// New record: product of x's places first_x..last_x by y's places first_y..last_y (1-based,
// equal lengths); may begin with zero digits.
SignedDigits *karatsuba(const SignedDigits *x, const SignedDigits *y, int first_x, int last_x,
                        int first_y, int last_y);
// For tests: karatsuba with the partial products' places held in 8 bits rather than 16, so that
// their bound makes nearly every step settle its carries; the same product in the same steps.
SignedDigits *karatsuba_lugares_de_8_bits(const SignedDigits *x, const SignedDigits *y, int first_x,
                                          int last_x, int first_y, int last_y);
// For measurement only (tests count steps with it): karatsuba steps run so far in this process.
long long karatsuba_chamadas();
// New record: value(indices high_first..high_last) + value(low_first..low_last), 0-based; either span
// may be the longer, and an empty span (last < first) is zero.
SignedDigits *soma_para_karatsuba(const SignedDigits *n, int high_first, int high_last,
                                  int low_first, int low_last);
// New record with the decimal digits of v (no leading zeros; sign '-' when v < 0).
SignedDigits *converter_int_em_bignumber(int v);
// Value of the digits at indices first..last (0-based, 1 to 3 digits).
int converter_bignumber_em_int(const SignedDigits *n, int first, int last);
// Appends k zero digits after the units digit (value times 10^k).
void left_shift(SignedDigits *n, int k);
// Pads the shorter of a and b with leading zeros to the other's length.
void igualar_tamanho(SignedDigits *a, SignedDigits *b);

// --- Input and output ---
// Next byte of the calculation stream, with the pair CR LF read as one LF; EOF once the stream has
// ended (at its end or at a failed read), for good: nothing is read after that.
int proximo_byte();
// Reads the rest of an operand line whose first byte is `primeiro`; false if input ended first.
bool le_bignumber(SignedDigits *n, int primeiro);
// Reads a whole operand line; false if input ended before its newline.
bool le_bignumber2(SignedDigits *n);
// Flushes standard output, closes the input; returns the run's exit status: 0, or 1 when the input
// could not be read or the output could not be written (each named on standard error).
int fim_da_execucao();
// Writes the magnitude without leading zeros ("0" for zero), no sign, no newline.
void imprime_bignumber(const SignedDigits *n);

} // namespace karatsuba_calc
