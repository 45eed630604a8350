// The driver of string_calc: reads calculations and prints their results.
#include "bigNumber.hpp"
#include "command_line.hpp"

#include <cstdio>

namespace {

const char usage[] = R"(Reads calculations and writes the exact result of each on a line of its own.
A calculation is three lines: the first operand, the second operand and an
operator line "+", "-" or "*". An operand is a decimal integer of any length
with an optional leading "-".

Exit status: 0 when the input has ended; 1 for an operator other than the
three (the run ends there), when memory runs out (after the message
"Erro ao alocar memória"), input cannot be read or output cannot be written;
2 for an unrecognized option or a FILE that cannot be opened.
)";

} // namespace

// Reads calculations until the input ends and prints one result line for each.
int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "string_calc", usage);
    if (!start.run_calculations) return start.status;
    using namespace string_calc;
    for (;;) {
        NumberText *a = readNumber();
        if (a == nullptr) return endOfRun();
        NumberText *b = readNumber();
        if (b == nullptr) {
            liberaMemoria(a);
            return endOfRun();
        }
        NumberText *result = verificaOperacao(a, b);
        if (result == nullptr) {
            // No operator: at end of input the calculation is dropped; anything else (named on
            // standard error) ends the run.
            liberaMemoria(a);
            liberaMemoria(b);
            const int endStatus = endOfRun();
            return inputEnded() ? endStatus : 1;
        }
        std::puts(result->digits);
        calc_io::note_output();
        liberaMemoria(a);
        liberaMemoria(b);
        liberaMemoria(result);
        nextByte(); // the newline that ends the operator line
    }
}
