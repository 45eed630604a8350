// The driver of reversed_calc: reads calculations and prints their results.
#include "bignumber.hpp"
#include "command_line.hpp"

#include <cstdio>
#include <cstdlib>

namespace {

const char usage[] = R"(Reads calculations and writes the exact result of each on a line of its own.
A calculation is three lines: the first operand, the second operand and an
operator line "+", "-" or "*". An operand is a decimal integer of any length
with an optional leading "+" or "-".

Exit status: 0 when the input has ended; 1 for an operator other than the
three (the run ends there), when memory runs out, input cannot be read or
output cannot be written; 2 for an unrecognized option or a FILE that cannot
be opened. Standard error names errors of input and output, and the line of an
operator other than the three.
)";

} // namespace

// Reads calculations (operand line, operand line, operator line) until the input ends and
// prints one result line each. A calculation cut short by the end of input is dropped; an
// unknown operator ends the run with status 1, and so do input that could not be read and output
// that could not be written.
int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "reversed_calc", usage);
    if (!start.run_calculations) return start.status;
    using namespace reversed_calc;
    for (int first = next_byte(); first != EOF; first = next_byte()) {
        unread_byte(first);
        ReversedNumber *a = init_bignumber();
        ReversedNumber *b = a ? init_bignumber() : nullptr;
        char *op = b ? read_char() : nullptr;
        if (!op) {
            free_bignumber(a);
            free_bignumber(b);
            break;
        }
        reverse_and_add_zero(a);
        reverse_and_add_zero(b);
        get_char_decimals(a);
        get_char_decimals(b);

        ReversedNumber *longer = nullptr;
        ReversedNumber *shorter = nullptr;
        ReversedNumber *greater = nullptr;
        ReversedNumber *lesser = nullptr;
        ReversedNumber *result = nullptr;
        compare_sizes(a, b, &longer, &shorter);
        compare_values(a, b, &greater, &lesser);
        choose_operation(*op, a, b, &longer, &shorter, &greater, &lesser, &result);
        if (!result) { // not one of the three operators
            free_bignumber(a);
            free_bignumber(b);
            std::free(op);
            calc_io::end_of_run();
            return EXIT_FAILURE;
        }
        print_reversed_bignumber(result);
        calc_io::note_output();

        free_bignumber(a);
        free_bignumber(b);
        if (*op == '*') free_bignumber(result);
        std::free(op);
    }
    return calc_io::end_of_run();
}
