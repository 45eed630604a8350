// Signed decimal integers of any length held as reversed arrays of digit values.
#pragma once

namespace reversed_calc {

// One operand or one product. Whoever allocates a record owns it and releases it with
// free_bignumber; additions and subtractions reuse an operand as their result.
struct ReversedNumber {
    char sign;    // '+' or '-'
    char *digits; // text (NUL-terminated, most significant first), reversed, or prepared values
    int length;   // digit positions in digits; a terminator is not counted
};

// Records and the failure path.
// Frees the digits, then the record; a null record is ignored.
void free_bignumber(ReversedNumber *number);
// Ends the program after a failed allocation: flushes what was printed, status 1.
[[noreturn]] void out_of_memory();

// Input.
// The one reader of standard input: the next byte (CR LF folded into '\n'), or EOF at the end
// of input or a read error.
int next_byte();
// Gives one byte (or EOF) back to next_byte; at most one byte is held.
void unread_byte(int c);
// Rest of the line without leading zeros, stray bytes or the newline; caller frees.
// Null when the input ends before the newline.
char *read_string();
// Reads one operand line into a new record in text state; null when the input ends first or a
// read has failed.
ReversedNumber *init_bignumber();
// New one-byte buffer holding the operator; the byte after it is discarded. Null at end of input.
// A byte other than "+", "-", "*" is named with its line on standard error.
char *read_char();

// Preparing and printing.
// Reverses buffer positions start to end - 1 in place.
void reverse_string(char *buffer, int start, int end);
// Text state to reversed state: reverses the digits and appends the guard character '0'.
void reverse_and_add_zero(ReversedNumber *number);
// Reversed state to prepared state: every digit character becomes its value.
void get_char_decimals(ReversedNumber *number);
// Writes a prepared number and a newline to standard output; any zero prints as "0".
void print_reversed_bignumber(const ReversedNumber *number);

// Arithmetic on prepared operands.
// Orders a and b by length: longer = a when a's length is at least b's.
void compare_sizes(ReversedNumber *a, ReversedNumber *b, ReversedNumber **longer,
                   ReversedNumber **shorter);
// Orders a and b by signed value; equal values give greater = lesser = a.
void compare_values(ReversedNumber *a, ReversedNumber *b, ReversedNumber **greater,
                    ReversedNumber **lesser);
// |x| + |y| written into x (x must be the longer, its guard digit takes the carry); result = x.
void add_bignumbers(ReversedNumber *x, ReversedNumber *y, ReversedNumber **result);
// |x| - |y| written into x (requires |x| >= |y|; x and y may be one record); result = x.
void subtract_bignumbers(ReversedNumber *x, ReversedNumber *y, ReversedNumber **result);
// result = new record holding x times y; the caller owns it.
void multiply_bignumbers(const ReversedNumber *x, const ReversedNumber *y, ReversedNumber **result);

// Sign cases.
// Computes a op b on prepared operands and sets result (an operand or a new record for '*');
// result stays untouched for an operator other than '+', '-', '*'.
void choose_operation(char op, ReversedNumber *a, ReversedNumber *b, ReversedNumber **longer,
                      ReversedNumber **shorter, ReversedNumber **greater, ReversedNumber **lesser,
                      ReversedNumber **result);

} // namespace reversed_calc
