#include "BigNumber.hpp"

#include <cstdio>

using namespace ascii_calc;

// Reads calculations (first operand line, second operand line, operator line) until a line with no
// digits or the end of input stands where an operand is expected, printing one result each.
int main() {
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
        liberar_bignumber(a);
        liberar_bignumber(b);
    }
}
