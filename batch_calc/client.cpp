#include "expression.hpp"
#include "helpers.hpp"
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

int main() {
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
    return output_status();
}
