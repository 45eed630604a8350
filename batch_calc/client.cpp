// The driver: reads every calculation, computes it at once, and prints all results at the end.
#include "calc_io.hpp"
#include "command_line.hpp"
#include "expression.hpp"
#include "process.hpp"

#include <cerrno>
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

// Keeps the calculation just read in the list and computes it; one whose record could not be
// allocated keeps its place without a result. False when the list cannot grow to keep it.
bool keep(process *calculations, expression *calculation) {
    if (calculation == nullptr) {
        note_allocation_failure();
        return add_unrecorded(calculations);
    }
    if (!add_process(calculations, calculation)) {
        destroy_expression(calculation);
        return false;
    }
    calculate_expression(calculation);
    return true;
}

// Reads every calculation into the list, computing each at once. Returns 0 when every one was
// kept; else the number of the one that the list could not grow to keep, where reading stopped.
int32_t read_calculations(process *calculations) {
    bool more = !input_is_empty();
    while (more) {
        if (!keep(calculations, create_expression())) return calculations->count + 1;
        more = another_calculation_follows();
    }
    return 0;
}

// "batch_calc: calculation N and the rest of the input: <reason>" on standard error.
void report_unkept(int32_t number) {
    char what[64];
    snprintf(what, sizeof what, "calculation %d and the rest of the input",
             static_cast<int>(number));
    calc_io::report(what, ENOMEM);
}

} // namespace
} // namespace batch_calc

namespace {

const char usage[] = R"(Reads calculations and, once the input has ended, writes the exact result of
every calculation, one line each, in input order ("NULL big_number" for a
calculation without a result). A calculation is three lines: the first operand,
the second operand and an operator line "+", "-" or "*"; an operator other
than "-" or "*" adds, and so does a missing operator line. An operand is a
decimal integer of any length with an optional leading "-". An empty line after
a calculation ends the input. --line-buffered changes nothing here: every
result is written at the end.

Exit status: 0 when every result has been written; 1 when memory ran out for a
calculation (its line is "NULL big_number"; when the list of calculations
cannot grow, the rest of the input is not read), input cannot be read or
output cannot be written; 2 for an unrecognized option or a FILE that cannot
be opened. A failed internal check (a fault of the program, never a lack of
memory) aborts the run with a report on standard error.
)";

} // namespace

int main(int argc, char **argv) {
    const command_line::Outcome start =
        command_line::handle_arguments(argc, argv, "batch_calc", usage);
    if (!start.run_calculations) return start.status;
    using namespace batch_calc;
    process *calculations = create_process();
    if (calculations == nullptr) {
        calc_io::report("list of calculations", ENOMEM);
        output_status();
        return 1;
    }
    // When the list cannot grow, the results held are printed, and the calculation that could not
    // be kept reads "NULL big_number", the last line.
    const int32_t unkept = read_calculations(calculations);
    print_process(calculations);
    if (unkept != 0) print_no_result();
    destroy_process(calculations);
    if (unkept != 0) report_unkept(unkept);
    const int end_status = output_status();
    // A calculation that a failed allocation left without a result makes the run a failure too.
    return allocation_failed() || unkept != 0 ? 1 : end_status;
}
