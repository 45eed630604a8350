// The driver: reads every calculation, computes it at once, and prints all results at the end.
#include "command_line.hpp"
#include "expression.hpp"
#include "process.hpp"

#include <cstdio>

namespace batch_calc {
namespace {

// An input without a single byte holds no calculation.
bool input_is_empty() {
    int byte = next_byte();
    unread_byte(byte);
    return byte == EOF;
}

// After a calculation, end of input or an empty line ends the run; any other byte begins the
// next calculation's first operand and is given back.
bool another_calculation_follows() {
    int byte = next_byte();
    if (byte == EOF || byte == '\n') return false;
    unread_byte(byte);
    return true;
}

} // namespace
} // namespace batch_calc

namespace {

const char usage[] = R"(Usage: batch_calc [--help | --version] < CALCULATIONS

Reads calculations from standard input, three lines each: the first operand, the second operand
and an operator line "+", "-" or "*". An operand is a decimal integer of any length with an
optional leading "-". An empty line after a calculation ends the input. Once the input has
ended, writes the exact result of every calculation, one line each, in input order
("NULL big_number" for a calculation without a result).

Exit status: 0 when every result has been written; 1 when standard input cannot be read or
standard output cannot be written; 2 for an unrecognized argument. A failed internal check
(memory ran out) aborts the run with a report on standard error.

How each kind of damaged input is read: man batch_calc
)";

} // namespace

int main(int argc, char **argv) {
    const int status = command_line::handle_arguments(argc, argv, "batch_calc", usage);
    if (status != command_line::run_calculations) return status;
    using namespace batch_calc;
    process *calculations = create_process();
    bool more = !input_is_empty();
    while (more) {
        expression *calculation = create_expression();
        add_process(calculations, calculation);
        calculate_expression(calculation);
        more = another_calculation_follows();
    }
    print_process(calculations);
    destroy_process(calculations);
    const int written = output_status();
    return input_failed() ? 1 : written;
}
