// The driver: reads calculations byte by byte, counting lines, and prints each result at once.
#include "calc_io.hpp"
#include "command_line.hpp"
#include <cstdint>
#include <cstdio>

#include "Operations.hpp"
#include "bignumber.hpp"

namespace list_calc {

// The digit value of a digit character.
std::int32_t convertChar(char c) {
    return c - '0';
}

namespace {

// The one reader of the calculation stream: the next byte, or EOF once the stream has ended (at
// its end or at a failed read), for good. A CR is a byte like any other here: the driver ignores
// it.
int proximoByte() {
    return calc_io::next_raw_byte();
}

bool ehOperador(int c) {
    return c == '+' || c == '-' || c == '*';
}

ListNumber numeroVazio() {
    return ListNumber{0, criar_lista()};
}

// Where the driver stands: the line of the calculation it is on and the operands read so far.
// Line 1 is the first operand, line 2 (and any later line before the operator) the second,
// line 0 follows an operator. Lines past 3 behave as line 3, so the count stops there.
struct Leitura {
    int linha;           // 0 to 3, as above
    ListNumber primeiro; // the first operand, units first
    ListNumber segundo;  // the second operand, units first
};

// Computes `op` on the operands read, prints the result and starts the next calculation.
void calcular(Leitura &leitura, char op) {
    ListNumber resultado = ChamaOperacao(leitura.primeiro, leitura.segundo, op);
    printBigNumber(resultado);
    calc_io::note_output();
    destruir_lista(resultado.digits);
    leitura = Leitura{0, numeroVazio(), numeroVazio()};
}

// Takes one byte of the stream: digits go to the operand of the line, newlines move the count,
// a sign marks the operand of its line negative (once, anywhere on it) or is the operator.
// Every other byte (blank, carriage return, letter) is ignored wherever it stands.
void tomarByte(Leitura &leitura, int c) {
    if (c >= '0' && c <= '9') {
        DigitNode *&digitos = leitura.linha == 1 ? leitura.primeiro.digits : leitura.segundo.digits;
        digitos = criarNo(digitos, convertChar(static_cast<char>(c)));
    } else if (c == '\n') {
        leitura.linha = leitura.linha < 3 ? leitura.linha + 1 : 3;
    } else if (ehOperador(c) && leitura.linha == 1) {
        leitura.primeiro.sign = 1;
    } else if (ehOperador(c) && leitura.linha == 2) {
        leitura.segundo.sign = 1;
    } else if (ehOperador(c)) {
        calcular(leitura, static_cast<char>(c));
    }
}

// Runs the calculation stream to its end; the exit status.
int executar() {
    Leitura leitura{1, numeroVazio(), numeroVazio()};
    for (int c = proximoByte(); c != EOF; c = proximoByte()) {
        tomarByte(leitura, c);
    }
    destruir_lista(leitura.primeiro.digits); // an unfinished calculation is dropped
    destruir_lista(leitura.segundo.digits);
    devolver_nos_guardados();
    // Input that could not be read, or a result that could not be written, is a failure, not a
    // finished run.
    return calc_io::end_of_run();
}

} // namespace

} // namespace list_calc

namespace {

const char usage[] = R"(Reads calculations and writes the exact result of each on a line of its own.
A calculation is three lines: the first operand, the second operand and an
operator line "+", "-" or "*". An operand is a decimal integer of any length
with an optional leading "-".

Exit status: 0 when the input has ended; 1 when memory runs out, input cannot
be read or output cannot be written; 2 for an unrecognized option or a FILE
that cannot be opened. Standard error names only errors of input and output,
and under --strict the line that ends the run.
)";

} // namespace

int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "list_calc", usage);
    if (!start.run_calculations) return start.status;
    return list_calc::executar();
}
