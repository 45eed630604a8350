// karatsuba_calc: reads calculations (first operand line, second operand line, operator line) from
// standard input and writes one result line for each.
#include "bignumber.hpp"
#include "calc_io.hpp"
#include "command_line.hpp"

#include <cstdio>
#include <cstdlib>

using namespace karatsuba_calc;

namespace {

// A new record holding no digits yet, so that it can be freed whatever the reader does with it.
SignedDigits *novo_operando() {
    auto *n = static_cast<SignedDigits *>(malloc(sizeof(SignedDigits)));
    malloc_check(n);
    *n = SignedDigits{0, nullptr, '+'};
    return n;
}

// Skips whatever follows the operator on its line, so that the next calculation starts on the
// next line even when the operator line carries stray bytes.
void descarta_resto_da_linha(int operador) {
    for (int c = operador; c != '\n' && c != EOF;) c = proximo_byte();
}

void executa(int operador, SignedDigits *a, SignedDigits *b) {
    switch (operador) {
    case '+':
        casos_operacao_soma(a, b);
        break;
    case '-':
        casos_operacao_subtracao(a, b);
        break;
    case '*':
        casos_operacao_multiplicacao(a, b);
        break;
    default:
        break; // not an operator: an empty result line
    }
}

const char usage[] = R"(Reads calculations and writes the exact result of each on a line of its own
(an empty line for an operator other than "+", "-" and "*"). A calculation is
three lines: the first operand, the second operand and an operator line. An
operand is a decimal integer of any length with an optional leading "-".
Products are computed by Karatsuba's method.

Exit status: 0 when the input has ended; 1 when memory runs out (after the
message "Não há memória suficiente!"), input cannot be read or output cannot be
written; 2 for an unrecognized option or a FILE that cannot be opened.
)";

} // namespace

int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "karatsuba_calc", usage);
    if (!start.run_calculations) return start.status;
    for (int c = proximo_byte(); c != EOF; c = proximo_byte()) {
        SignedDigits *a = novo_operando();
        SignedDigits *b = novo_operando();
        if (!le_bignumber(a, c) || !le_bignumber2(b)) {
            // The input ended inside this calculation's operands: it gets no result line.
            free_bignumber(a);
            free_bignumber(b);
            return fim_da_execucao();
        }
        const int operador = proximo_byte();
        descarta_resto_da_linha(operador);
        executa(operador, a, b);
        free_bignumber(a);
        free_bignumber(b);
        putchar('\n');
        calc_io::note_output();
    }
    return fim_da_execucao();
}
