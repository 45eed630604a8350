// The list of every calculation of a run, printed once the input has ended.
#include "process.hpp"

#include "calc_io.hpp"
#include "helpers.hpp"

#include <cstdio>
#include <cstdlib>

namespace batch_calc {

process *create_process() {
    struct process *made = static_cast<struct process *>(malloc(sizeof *made));
    if (made == nullptr) return nullptr;
    made->expressions = nullptr;
    made->count = 0;
    made->capacity = 0;
    return made;
}

namespace {

// The array doubles from 2; false when it cannot grow (or a count would pass 32 bits), the array
// then being kept as it is.
bool grow_expressions(struct process *list) {
    int32_t grown = list->count == 0 ? 2 : list->count <= INT32_MAX / 2 ? list->count * 2 : 0;
    if (grown == 0) return false;
    struct expression **resized = static_cast<struct expression **>(
        realloc(list->expressions, static_cast<size_t>(grown) * sizeof *resized));
    if (resized == nullptr) return false;
    list->expressions = resized;
    list->capacity = grown;
    return true;
}

// Zero is never printed with a sign, and the empty text of operands written as "-" alone
// prints as "0".
void print_result(const big_number *result) {
    if (result->is_negative == 1 && is_nonzero_text(result->digits, result->length)) putchar('-');
    puts(result->length > 0 ? result->digits : "0");
}

} // namespace

bool add_process(process *process, expression *expression) {
    BATCH_CALC_CHECK(process != NULL && expression != NULL);
    if (process->count == process->capacity && !grow_expressions(process)) return false;
    process->expressions[process->count++] = expression;
    return true;
}

bool add_unrecorded(process *process) {
    BATCH_CALC_CHECK(process != NULL);
    if (process->count == process->capacity && !grow_expressions(process)) return false;
    process->expressions[process->count++] = nullptr;
    return true;
}

void print_no_result() {
    puts("NULL big_number");
    calc_io::note_output();
}

void print_process(process *process) {
    BATCH_CALC_CHECK(process != NULL);
    for (int32_t i = 0; i < process->count; ++i) {
        const expression *calculation = process->expressions[i];
        const big_number *result = calculation != nullptr ? calculation->result : nullptr;
        if (result == nullptr) {
            print_no_result();
        } else {
            print_result(result);
            calc_io::note_output();
        }
    }
}

int output_status() {
    return calc_io::end_of_run();
}

void destroy_process(process *process) {
    BATCH_CALC_CHECK(process != NULL);
    for (int32_t i = 0; i < process->count; ++i)
        if (process->expressions[i] != nullptr) destroy_expression(process->expressions[i]);
    free(process->expressions);
    free(process);
}

} // namespace batch_calc
