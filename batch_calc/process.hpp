// The list of every calculation of a run, printed once the input has ended.
#pragma once

#include "expression.hpp"

#include <cstdint>

namespace batch_calc {

// The calculations of a run in input order. It owns the array and every expression in it.
struct process {
    expression **expressions; // heap array of expressions (a null one: its record could not be
                              // allocated); null while empty
    int32_t count;            // number of expressions held
    int32_t capacity;         // number of slots in the array
};

// Returns a new empty process; null when it cannot be allocated.
process *create_process();

// Appends an expression (both must exist: checked), doubling the array from 2 when full. False
// when the array cannot grow: the expression is not appended, and stays the caller's.
bool add_process(process *process, expression *expression);

// Appends the place of a calculation whose expression could not be allocated: it has no result.
// False when the array cannot grow.
bool add_unrecorded(process *process);

// Writes the line of a calculation without a result: "NULL big_number".
void print_no_result();

// Writes one line per expression: its result, or "NULL big_number" when it has none (checked).
void print_process(process *process);
// Flushes standard output and closes the input; the run's exit status: 0, or 1 when the output
// could not be written or the input could not be read (each named on standard error).
int output_status();

// Destroys every expression, then the array, then the process (which must exist: checked).
void destroy_process(process *process);

} // namespace batch_calc
