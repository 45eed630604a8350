// The check of --strict. The program's reader then takes no byte from the sources: the check reads
// one calculation (after any empty lines) into a text of its own, and gives it to the reader only
// once all of it has the common form, since a reader cannot give back part of a calculation. An
// operand line is an optional "-" and one or more decimal digits, an operator line "+", "-" or "*"
// alone; each line ends with LF or CR LF, the very last may end with the input. The text given is
// in one normal form (each line ended by one LF, no empty line), the same for every reader. The
// first byte that breaks the form, and an input that ends inside a calculation, are named and end
// the input before that calculation (status 1). The check reads the sources into a buffer of its
// own only when the calculation needs more bytes, so each result comes with its operator line.
#pragma once

#include "calc_io.hpp"

#include <bit>
#include <cstdint>

namespace common_form {

// What stood where the form wanted something else.
enum class Found {
    byte,            // a byte that no line of the form holds there
    end_of_line,     // the end of an operand line before any digit ("-" alone)
    empty_line,      // an empty line inside a calculation
    lone_cr,         // a carriage return that no line feed follows
    byte_order_mark, // the three bytes of a UTF-8 byte-order mark
};

// How reading one line of a calculation ended.
enum class LineEnd {
    newline,   // at a LF or a CR LF: the line has the form
    input_end, // the input ended right after the line
    nothing,   // the input ended before the line began
    broken,    // at what the line's `found` says
    no_room,   // memory ran out for the held text
};

// The line being read, and what broke it (LineEnd::broken).
struct Line {
    calc_io::LineName start; // where it begins
    long column;             // bytes of it taken so far; once it broke, the column of `found`
    Found found;             // what broke it
    int byte;                // the byte found (Found::byte)
};

// The check: the bytes read ahead, the calculation held, and where the reading stands.
struct Check {
    unsigned char ahead[1 << 16];  // read from the sources, [at, end) not taken yet
    const unsigned char *at, *end; // (the check's own buffer)
    char *text;                    // the calculation held, in the normal form (heap)
    size_t length, capacity;       // bytes of it, and bytes allocated for it
    int source;                    // the source of the bytes read last
    long newlines;                 // newlines of that source taken so far
    Line line;                     // the line being read
    calc_io::LineName first;       // the first line of the calculation being read
    bool over;                     // nothing more is read: the input ended or was refused
};

inline Check check;

// A held text grown past this goes back to the heap before the next calculation. Holding digits
// reserves room for the whole buffer ahead, so the text of short calculations stays below it.
constexpr size_t kept_capacity = size_t{1} << 20;
static_assert(kept_capacity > 2 * (sizeof check.ahead + 2 * sizeof(uint64_t)));

// Reads more of the sources into the buffer; false once they have ended.
[[gnu::noinline]] inline bool read_ahead() {
    const calc_io::Chunk chunk = calc_io::read_sources(check.ahead, sizeof check.ahead);
    check.at = check.ahead;
    check.end = check.ahead + chunk.count;
    if (calc_io::input.current != check.source) check.newlines = 0; // lines count in each source
    check.source = calc_io::input.current;
    return chunk.outcome == calc_io::Read::bytes;
}

// The next byte of the sources, taken as one more byte of the line; EOF once they have ended.
inline int take_byte() {
    if (check.at == check.end && !read_ahead()) return EOF;
    ++check.line.column;
    return *check.at++;
}

// Takes the first byte of a line, and notes where the line begins.
inline int begin_line() {
    check.line.column = 0;
    const int c = take_byte();
    check.line.start = calc_io::LineName{check.source, check.newlines + 1};
    return c;
}

// Grows the held text to take `bytes` more: to twice its size, or, when that cannot be had, to
// just what it needs. False when memory runs out.
[[gnu::noinline]] inline bool grow_text(size_t bytes) {
    const size_t needed = check.length + bytes;
    size_t capacity = std::max(needed, 2 * check.capacity);
    auto *grown = static_cast<char *>(std::realloc(check.text, capacity));
    if (grown == nullptr && capacity > needed)
        grown = static_cast<char *>(std::realloc(check.text, capacity = needed));
    if (grown == nullptr) return false;
    check.text = grown;
    check.capacity = capacity;
    return true;
}

// Makes room in the held text for `bytes` more; false when memory runs out.
inline bool make_room(size_t bytes) {
    return check.capacity - check.length >= bytes || grow_text(bytes);
}

// Gives the held text back to the heap.
inline void free_text() {
    std::free(check.text);
    check.text = nullptr;
    check.capacity = check.length = 0;
}

// Empties the held text for the next calculation; a large one goes back to the heap.
inline void forget_text() {
    check.length = 0;
    if (check.capacity > kept_capacity) free_text();
}

// The bytes of `w` that are not digits, each marked by a bit of its high nibble: a digit's high
// nibble is 3, and adding 6 to it carries out of no low nibble (a low nibble of 10 to 15 would).
// A carry reaches only bytes after it in memory: the first marked byte, the one copy_digits wants,
// has none before it, and a byte whose high nibble is 3 (at most 0x3f) carries into no other.
inline uint64_t non_digits(uint64_t w) {
    constexpr uint64_t high = 0xf0f0f0f0f0f0f0f0, threes = 0x3030303030303030,
                       sixes = 0x0606060606060606;
    return ((w & high) ^ threes) | (((w + sixes) & high) ^ threes);
}

// Copies the digits at the front of `bytes` (`count` bytes) to `to`, eight a step; returns how
// many there were. A step stores its whole word: `to` must have room for `count` + 8 bytes.
inline size_t copy_digits(const unsigned char *bytes, size_t count, char *to) {
    size_t at = 0;
    for (; at + sizeof(uint64_t) <= count; at += sizeof(uint64_t)) {
        uint64_t w;
        std::memcpy(&w, bytes + at, sizeof w);
        std::memcpy(to + at, &w, sizeof w);
        const uint64_t marks = non_digits(w); // the first in memory order is the one wanted
        const int bit = std::endian::native == std::endian::little ? std::countr_zero(marks)
                                                                   : std::countl_zero(marks);
        if (marks != 0) return at + static_cast<size_t>(bit) / 8;
    }
    for (; at < count && bytes[at] >= '0' && bytes[at] <= '9'; ++at)
        to[at] = static_cast<char>(bytes[at]);
    return at;
}

// The line breaks at column `at`, where `found` stands.
inline LineEnd broken(Found found, long at, int byte = 0) {
    check.line.found = found;
    check.line.column = at;
    check.line.byte = byte;
    return LineEnd::broken;
}

// The end of a line at `c` (taken): a LF, a CR LF, or the end of the input; any other byte (a CR
// that no LF follows too, a UTF-8 byte-order mark as far as the buffer shows) breaks the line.
inline LineEnd line_end(int c) {
    const long at = check.line.column;
    const bool mark =
        c == 0xef && check.end - check.at >= 2 && check.at[0] == 0xbb && check.at[1] == 0xbf;
    if (c == EOF) return LineEnd::input_end;
    if (c == '\r' && take_byte() != '\n') return broken(Found::lone_cr, at);
    if (c != '\r' && c != '\n') return broken(mark ? Found::byte_order_mark : Found::byte, at, c);
    ++check.newlines;
    return LineEnd::newline;
}

// A line that ends or breaks at `c` (taken) before it has its digits or its operator.
inline LineEnd lacking(int c) {
    const long at = check.line.column;
    const LineEnd end = line_end(c);
    if (end != LineEnd::newline) return end;
    return broken(at == 1 ? Found::empty_line : Found::end_of_line, at);
}

// Holds the digit `c` (taken) and every digit after it, then the line's end as one LF.
inline LineEnd hold_digits(int c) {
    do {
        const auto ahead = static_cast<size_t>(check.end - check.at);
        // `c`, the digits ahead with the 8 bytes that copy_digits stores past them, the LF
        if (!make_room(1 + ahead + sizeof(uint64_t))) return LineEnd::no_room;
        check.text[check.length++] = static_cast<char>(c);
        const size_t digits = copy_digits(check.at, ahead, check.text + check.length);
        check.length += digits;
        check.at += digits;
        check.line.column += static_cast<long>(digits);
        c = take_byte();
    } while (c >= '0' && c <= '9');
    const LineEnd end = line_end(c);
    if (end == LineEnd::newline || end == LineEnd::input_end) check.text[check.length++] = '\n';
    return end;
}

// Holds an operand line: an optional "-", one or more digits, its end.
inline LineEnd hold_operand_line() {
    int c = begin_line();
    if (c == EOF) return LineEnd::nothing;
    if (c == '-') {
        if (!make_room(1)) return LineEnd::no_room;
        check.text[check.length++] = '-';
        c = take_byte();
    }
    return c >= '0' && c <= '9' ? hold_digits(c) : lacking(c);
}

// Holds the operator line: "+", "-" or "*", then its end.
inline LineEnd hold_operator_line() {
    const int c = begin_line();
    if (c == EOF) return LineEnd::nothing;
    if (c != '+' && c != '-' && c != '*') return lacking(c);
    if (!make_room(2)) return LineEnd::no_room; // the operator and its LF
    check.text[check.length++] = static_cast<char>(c);
    const LineEnd end = line_end(take_byte());
    if (end == LineEnd::newline || end == LineEnd::input_end) check.text[check.length++] = '\n';
    return end;
}

// Writes "<program>: NAME:LINE:COLUMN: <expected>; found <what>" for the line that broke, where
// <what> is the byte (quoted when printable, else \xNN) or what else stood there.
inline void name_broken_line(const char *expected) {
    static const char *const kinds[] = {"", "the end of the line", "an empty line",
                                        "a carriage return without a line feed",
                                        "a UTF-8 byte-order mark"}; // in the order of Found
    const Line &line = check.line;
    const bool printable = line.byte >= ' ' && line.byte < 0x7f && line.byte != '\'';
    char byte[8];
    std::snprintf(byte, sizeof byte, printable ? "'%c'" : "\\x%02x", line.byte);
    std::fprintf(stderr, "%s: %s:%ld:%ld: %s; found %s\n", calc_io::run.program,
                 calc_io::source_name(line.start.source), line.start.line, line.column, expected,
                 line.found == Found::byte ? byte : kinds[static_cast<int>(line.found)]);
}

// Names why line `part` of the calculation (0, 1: the operands; 2: the operator), which ended
// with `end`, is refused.
inline void name_refused_line(LineEnd end, int part) {
    static const char *const expected[] = {
        "expected the first operand: an optional \"-\" and decimal digits",
        "expected the second operand: an optional \"-\" and decimal digits",
        calc_io::expected_operator};
    char ended[96];
    std::snprintf(ended, sizeof ended, "%s, after %d of its 3 lines",
                  "the input ends inside the calculation that begins here",
                  end == LineEnd::input_end ? part + 1 : part);
    if (end == LineEnd::broken)
        name_broken_line(expected[part]);
    else if (end == LineEnd::no_room)
        calc_io::report_line(check.line.start, std::strerror(ENOMEM));
    else // the input ended before the line, or inside it
        calc_io::report_line(check.first, ended);
}

// Nothing more is read, and the held text goes back to the heap; false: no calculation.
inline bool stop() {
    check.over = true;
    free_text();
    return false;
}

// Holds the next calculation whole, in the normal form. False when there is none: the input ends
// before it, or a line of it is refused (named on standard error, unless a failed read, already
// named, ended the input there).
inline bool hold_next_calculation() {
    forget_text();
    for (int part = 0; part < 3; ++part) {
        LineEnd end = part < 2 ? hold_operand_line() : hold_operator_line();
        while (part == 0 && end == LineEnd::broken && check.line.found == Found::empty_line)
            end = hold_operand_line(); // an empty line before the calculation
        if (part == 0 && end == LineEnd::nothing) return stop();
        if (part == 0) check.first = check.line.start;
        if (end == LineEnd::newline || (part == 2 && end == LineEnd::input_end)) continue;
        calc_io::run.refused = true;
        if (!calc_io::input_failed()) name_refused_line(end, part);
        return stop();
    }
    return true;
}

// Fills the reader's window with the next calculation once all of it has the form; false when
// there is none.
[[gnu::noinline]] inline bool release_next_calculation() {
    if (check.over || !hold_next_calculation()) return false;
    const auto *text = reinterpret_cast<const unsigned char *>(check.text);
    calc_io::window = calc_io::Window{text, text + check.length, release_next_calculation};
    return true;
}

// Makes the program's reader take its bytes through the check, once the sources are set up.
inline void start() {
    check.at = check.end = check.ahead;
    check.source = calc_io::input.current;
    check.newlines = 0;
    check.over = false;
    calc_io::window = calc_io::Window{check.ahead, check.ahead, release_next_calculation};
}

} // namespace common_form
