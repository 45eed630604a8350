// The number record of string_calc and its reader, arithmetic and dispatch.
#pragma once

#include <cstdint>

namespace string_calc {

// A number held as a heap string of digit characters. The record and its string are allocated
// together and released together with liberaMemoria by whoever received the record.
struct NumberText {
    char *digits;    // NUL-terminated; operands least significant first, results most significant
                     // first with a leading "-" when negative; zero is "0"
    uint64_t length; // characters in digits before the terminator ("-" included)
    int negative;    // 1 when the number is negative, 0 otherwise
};

// Input: every byte of standard input is read through nextByte.
int nextByte();    // next byte of standard input, CR LF folded into LF; EOF at its end or error
bool inputEnded(); // true when the latest nextByte returned EOF
// Flushes standard output; the run's exit status: 0, or 1 when the input could not be read or the
// output could not be written.
int endOfRun();

// Records.
// Reads one operand line; null at end of input inside it, and once a read has failed.
NumberText *readNumber();
void verificaSinais(NumberText *n);        // takes a leading "-" off digits into negative
void removeZeros(NumberText *n, int mode); // strips zeros: mode 0 from the front, else from the end
void invertNumber(NumberText *n);          // reverses the strlen(digits) characters in place
void liberaMemoria(NumberText *n);         // frees digits, then the record; null is ignored
void verificaAlocacao(void *p);            // returns if p is not null, else reports and exits 1

// Magnitudes: operands least significant first; signs ignored; results new, most significant first.
uint64_t findBiggest(const NumberText *a, const NumberText *b); // the larger length
// -1, 0 or 1 as |a| is smaller, equal or larger than |b|; leaves both digit strings reversed.
int compararNumeros(NumberText *a, NumberText *b);
NumberText *sum(const NumberText *a, const NumberText *b);      // |a| + |b|
NumberText *subtract(const NumberText *a, const NumberText *b); // |a| - |b|, needs |a| >= |b|
NumberText *multiply(const NumberText *a, const NumberText *b); // |a| * |b|

// Signs and dispatch.
void resultadoNegativo(NumberText *r); // puts "-" in front of r's digits
// Reads the operator and returns the new signed result; null when the byte is not "+", "-", "*"
// (named with its line on standard error, unless the input has ended).
NumberText *verificaOperacao(NumberText *a, NumberText *b);

} // namespace string_calc
