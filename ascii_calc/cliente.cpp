// The driver of ascii_calc: reads calculations and prints their results.
#include "BigNumber.hpp"
#include "calc_io.hpp"
#include "command_line.hpp"

#include <cstdio>

using namespace ascii_calc;

namespace {

const char usage[] = R"(Reads calculations and writes the exact result of each on a line of its own
("Operacao invalida" for an operator other than "+", "-" and "*"). A
calculation is three lines: the first operand, the second operand and an
operator line. An operand is a decimal integer of any length with an optional
leading "-". A line without digits where an operand is expected ends the input.

Exit status: 0 when the input has ended; 1 when memory runs out (after the
message "Erro de alocacao de memoria"), input cannot be read or output cannot
be written; 2 for an unrecognized option or a FILE that cannot be opened.
)";

} // namespace

// Reads calculations (first operand line, second operand line, operator line) until a line with no
// digits or the end of input stands where an operand is expected, printing one result each.
int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "ascii_calc", usage);
    if (!start.run_calculations) return start.status;
    for (;;) {
        CharNumber *a = ler_bignumber(novo_bignumber());
        if (a->length == -1) {
            liberar_bignumber(a);
            return fim_da_execucao();
        }
        a = remover_zero_esquerda(&a);

        CharNumber *b = ler_bignumber(novo_bignumber());
        const int operador = (b->length == -1) ? EOF : proximo_byte();
        if (operador == EOF) { // the calculation is incomplete: drop it and end the run
            liberar_bignumber(a);
            liberar_bignumber(b);
            return fim_da_execucao();
        }
        b = remover_zero_esquerda(&b);
        proximo_byte(); // the newline that ends the operator line

        // clang-format off
        switch (operador) {
        case '+': a = somar_bignumbers(&a, &b); imprimir_big_number(a); break;
        case '-': a = subtrair_bignumbers(&a, &b); imprimir_big_number(a); break;
        case '*': a = multiplicar_bignumbers(&a, &b); imprimir_big_number(a); break;
        default: puts("Operacao invalida"); break;
        }
        // clang-format on
        calc_io::note_output();
        liberar_bignumber(a);
        liberar_bignumber(b);
    }
}
