// The calculation stream and the output of a calculator: where the bytes come from (standard input,
// or the files named on the command line read in order as one stream), the one state that says the
// stream has ended, the check of --strict between the sources and the readers, and the end of the
// run with its status and messages. Every program's own byte reader is built on next_raw_byte;
// command_line.hpp sets the sources up.
#pragma once

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace calc_io {

// How far the stream has been read: the state every reading path checks.
enum class Progress {
    reading, // bytes may follow
    checked, // bytes may follow, under --strict: the check of the common form reads the sources,
             // and the readers take the calculations it holds (held, below)
    ended,   // the last source has ended: every byte from now on is EOF
    failed,  // a read (or the opening of a FILE at its turn) failed: the input ended there
};

// The calculation stream: its sources in order and how far it has been read. A source is a FILE
// named on the command line, or "-", standard input; with no FILE, standard input is the one
// source. A FILE is opened at its turn and closed at its end, so any number of them can be read.
struct Input {
    char **files; // the heap array of FILE names, in order (owned); null for standard input
                  // alone, which is then the one source
    int count;    // number of sources
    int current;  // index of the source being read
    FILE *stream; // the open stream of the current source, kept at hand for the byte loop
    Progress progress;
    long lines = 0; // newlines read so far in the current source, counted by whoever reads the
                    // sources: the check under --strict, else the readers that name a line in a
                    // message (line_ended); 0 again at each source
};

// The run: the program's name for messages, and why standard output failed (0 while it has not).
struct Run {
    const char *program;
    int write_error;
};

// The check of --strict: the calculation it holds, and where the line being checked began.
struct Held {
    bool over = true;      // the check reads no more: there is none (no --strict), the input
                           // ended, or the check refused it
    bool refused;          // a line broke the form (or the text could not be held): named on
                           // standard error, and the run's status is 1
    char *text;            // the calculation held, in its normal form (heap)
    size_t length;         // bytes of it
    size_t capacity;       // bytes allocated for it
    const char *next = ""; // the part of it not yet released to the reader, up to a NUL after
                           // the text (a NUL alone while nothing is held)
    int line_source;       // the source where the line being checked began
    long line_start;       // the line of that source where it began
};

inline Input input{nullptr, 1, 0, stdin, Progress::reading};
inline Held held{};
inline Run run{"calculator", 0};

// Makes `stream` (standard input unless a test gives another) the whole input, not yet read, and
// read without --strict.
inline void read_standard_input(FILE *stream = stdin) {
    input = Input{nullptr, 1, 0, stream, Progress::reading};
    std::free(held.text);
    held = Held{};
}

// Starts a run of `program` on standard input alone.
inline void start_run(const char *program) {
    read_standard_input();
    run = Run{program, 0};
}

// The name of source `index` for messages: the FILE as given, or "standard input".
inline const char *source_name(int index) {
    if (input.files == nullptr || std::strcmp(input.files[index], "-") == 0)
        return "standard input";
    return input.files[index];
}

// Writes "<program>: <what>: <reason>" on standard error.
inline void report(const char *what, int error) {
    std::fprintf(stderr, "%s: %s: %s\n", run.program, what, std::strerror(error));
}

// Writes "<program>: <name of the source>:<line>: <what>" on standard error.
inline void report_line(int source, long line, const char *what) {
    std::fprintf(stderr, "%s: %s:%ld: %s\n", run.program, source_name(source), line, what);
}

// What the messages about a line say was expected there.
inline const char expected_first_operand[] =
    "expected the first operand: an optional \"-\" and decimal digits";
inline const char expected_second_operand[] =
    "expected the second operand: an optional \"-\" and decimal digits";
inline const char expected_operator[] = "expected the operator: \"+\", \"-\" or \"*\"";
inline const char ends_inside_a_calculation[] = "the input ends inside a calculation";

// A reader that names lines calls this at each newline it reads. Under --strict the readers take
// the held text rather than the sources, whose lines the check counts itself.
inline void line_ended() {
    if (input.progress == Progress::reading) ++input.lines;
}

// Names the line of the current source that the reader is on (the one after the newlines it has
// counted) with `what` on standard error.
inline void report_current_line(const char *what) {
    report_line(input.current, input.lines + 1, what);
}

// Ends the input with the failed read (or open) of the current source: reported once, nothing
// read after it.
inline int end_with_failed_read(int error) {
    report(source_name(input.current), error);
    input.progress = Progress::failed;
    return EOF;
}

// Closes the current FILE unless it is standard input, which stays open for a later "-".
inline void close_current_source() {
    if (input.stream != nullptr && input.stream != stdin) std::fclose(input.stream);
    input.stream = nullptr;
}

// Opens source `index` as the current one; false, with the input failed, when it cannot be.
// Standard input named again reads on after its end, as cat does: a terminal gives more lines.
inline bool open_source(int index) {
    input.current = index;
    input.lines = 0;
    if (std::strcmp(input.files[index], "-") == 0) {
        input.stream = stdin;
        std::clearerr(stdin);
        return true;
    }
    input.stream = std::fopen(input.files[index], "r");
    if (input.stream != nullptr) return true;
    end_with_failed_read(errno);
    return false;
}

// Makes the `count` FILEs of the heap array `files` (taken over) the input, read one after the
// other as one stream, and opens the first. A FILE that cannot be opened at its turn is a read
// error there.
inline void read_files(char **files, int count) {
    input = Input{files, count, 0, nullptr, Progress::reading};
    open_source(0);
}

// The current source gave EOF: a failed read ends the input; the end of a source goes on with the
// first byte of the next one, so that the sources read as one stream.
[[gnu::noinline]] inline int byte_after_end_of_source() {
    for (;;) {
        if (std::ferror(input.stream)) return end_with_failed_read(errno);
        if (input.current + 1 == input.count) {
            input.progress = Progress::ended;
            return EOF;
        }
        close_current_source();
        if (!open_source(input.current + 1)) return EOF;
        int c = getc_unlocked(input.stream);
        if (c != EOF) return c;
    }
}

// ---- --strict: whole calculations in the common form, or the line that breaks it ----------------
//
// Under --strict the readers take no byte from the sources. The check reads one calculation from
// them (the first operand line, the second and the operator line, after any empty lines) and
// releases it only once the whole of it has the common form: an operand line is an optional "-"
// and one or more decimal digits, an operator line is "+", "-" or "*" alone; every line ends with
// LF or CR LF, and the very last may end with the input. It releases the text in one normal form,
// each line ended by one LF and no empty line, so every reader sees the same clean calculations.
// A reader that has taken part of a calculation cannot give it back, hence the wait for all of it:
// one calculation's text is held beside the program's own numbers. The first line that breaks the
// form, and an input that ends inside a calculation, are named on standard error and end the input
// before that calculation: the readers see the input end after the last complete one, and the
// run's status is 1. Nothing is read after the byte that breaks the form.
//
// The digits of an operand, nearly all of the input, are checked and copied eight at a time
// straight out of what the stream has buffered (buffered_bytes): a byte at a time the check costs
// about as much again as the program's own reader. Everything else, and every byte where the
// buffer does not show, goes through getc_unlocked; the check never reads past the calculation's
// last newline, so it never waits for input that the calculation does not need.

// How reading a line (read_operand_line, read_operator_line) ended.
enum class LineEnd {
    newline,   // at a LF or CR LF
    input_end, // at the end of the input
    nothing,   // the input ended before the line began
    broken,    // at a byte that no line of the common form holds there
    refused,   // memory ran out (the input is refused; named already)
};

// Makes the run read through the check; called once the sources are set up.
inline void hold_calculations() {
    held.over = input.progress != Progress::reading;
    if (!held.over) input.progress = Progress::checked;
}

// Names `line` of `source` with `what` (unless a failed read, already named, ended the input
// there) and ends the input for the readers. Returns false, the check's "no calculation".
inline bool refuse(int source, long line, const char *what) {
    if (input.progress != Progress::failed) report_line(source, line, what);
    held.over = held.refused = true;
    return false;
}

// refuse, naming the line of the current source that the check is on.
inline bool refuse_current_line(const char *what) {
    return refuse(input.current, input.lines + 1, what);
}

// The next byte of the sources, for the check.
inline int next_source_byte() {
    int c = getc_unlocked(input.stream);
    return c != EOF ? c : byte_after_end_of_source();
}

// The bytes that the current stream has read ahead and not yet given out. glibc keeps them between
// the two pointers that its own getc_unlocked macro reads, so the check can look at them in place
// and take them as that many getc_unlocked would; with another C library none are seen, and every
// byte comes through getc_unlocked.
struct Buffered {
    const char *bytes;
    size_t count;
};

inline Buffered buffered_bytes() {
#ifdef __GLIBC__
    return {input.stream->_IO_read_ptr,
            static_cast<size_t>(input.stream->_IO_read_end - input.stream->_IO_read_ptr)};
#else
    return {nullptr, 0};
#endif
}

// Takes `count` of the buffered bytes, as that many getc_unlocked would.
inline void take_buffered(size_t count) {
#ifdef __GLIBC__
    input.stream->_IO_read_ptr += count;
#else
    (void)count;
#endif
}

// Makes room in the held text for `bytes` more; false, with the input refused, when memory runs
// out.
[[gnu::noinline]] inline bool grow_held_text(size_t bytes) {
    const size_t capacity = std::max(held.length + bytes, 2 * held.capacity);
    auto *grown = static_cast<char *>(std::realloc(held.text, capacity));
    if (grown == nullptr) return refuse_current_line(std::strerror(ENOMEM));
    held.text = grown;
    held.capacity = capacity;
    return true;
}

// Makes room in the held text for `bytes` more (see grow_held_text).
inline bool make_room(size_t bytes) {
    return held.capacity - held.length >= bytes || grow_held_text(bytes);
}

// The bytes of `w` that are not digits, each marked by a bit of its high nibble: a byte is a digit
// when its high nibble is 3 and adding 6 to it carries out of no low nibble (a low nibble of 10 to
// 15 would). A carry out of a byte reaches only the bytes after it in memory; the first marked
// byte, the one copy_digits wants, has none before it, and a byte whose high nibble is 3 is at
// most 0x3f and carries into no other byte.
inline uint64_t non_digits(uint64_t w) {
    constexpr uint64_t high = 0xf0f0f0f0f0f0f0f0, threes = 0x3030303030303030,
                       sixes = 0x0606060606060606;
    return ((w & high) ^ threes) | (((w + sixes) & high) ^ threes);
}

// The place in its word of the first byte (in memory order) that `marks` marks.
inline size_t first_marked(uint64_t marks) {
    const int bit = std::endian::native == std::endian::little ? std::countr_zero(marks)
                                                               : std::countl_zero(marks);
    return static_cast<size_t>(bit) / 8;
}

// Appends the digits at the front of `bytes` (`count` bytes) to the held text, eight a step;
// returns how many there were. A step stores its whole word, so make_room must have left 8 bytes
// past the count.
inline size_t copy_digits(const char *bytes, size_t count) {
    char *to = held.text + held.length;
    size_t at = 0;
    for (; at + sizeof(uint64_t) <= count; at += sizeof(uint64_t)) {
        uint64_t w;
        std::memcpy(&w, bytes + at, sizeof w);
        std::memcpy(to + at, &w, sizeof w);
        const uint64_t marks = non_digits(w);
        if (marks != 0) return at + first_marked(marks);
    }
    for (; at < count && bytes[at] >= '0' && bytes[at] <= '9'; ++at) to[at] = bytes[at];
    return at;
}

// What hold_digits returns when memory ran out: no byte, and not EOF.
constexpr int refused_input = EOF - 1;

// Holds the digit `c` (already taken) and every digit after it; returns the byte after them
// (taken), or refused_input.
inline int hold_digits(int c) {
    while (c >= '0' && c <= '9') {
        const Buffered ahead = buffered_bytes();
        if (!make_room(ahead.count + 1 + sizeof(uint64_t))) return refused_input;
        held.text[held.length++] = static_cast<char>(c);
        const size_t digits = copy_digits(ahead.bytes, ahead.count);
        held.length += digits;
        take_buffered(digits);
        c = next_source_byte();
    }
    return c;
}

// The end of a line at `c`, taken: a LF, a CR LF or the end of the input; any other byte (a CR
// before anything but LF too) breaks the line.
inline LineEnd line_end(int c) {
    if (c == '\n') return LineEnd::newline;
    if (c == '\r') return next_source_byte() == '\n' ? LineEnd::newline : LineEnd::broken;
    if (c == EOF) return LineEnd::input_end;
    return c == refused_input ? LineEnd::refused : LineEnd::broken;
}

// Where the line being read began, once its first byte has been taken.
inline void line_begins() {
    held.line_source = input.current;
    held.line_start = input.lines + 1;
}

// Reads an operand line into the held text at held.length: an optional "-", then digits, then its
// end, which is not held. Stops at the first byte that breaks that shape.
inline LineEnd read_operand_line() {
    int c = next_source_byte();
    if (c == EOF) return LineEnd::nothing;
    line_begins();
    if (c == '-') {
        if (!make_room(2)) return LineEnd::refused; // the "-" and the LF that ends the line
        held.text[held.length++] = '-';
        c = next_source_byte();
    }
    return line_end(hold_digits(c));
}

// Reads the operator line into the held text at held.length: "+", "-" or "*", then its end.
inline LineEnd read_operator_line() {
    const int c = next_source_byte();
    if (c == EOF) return LineEnd::nothing;
    line_begins();
    if (c != '+' && c != '-' && c != '*') return LineEnd::broken;
    if (!make_room(3)) return LineEnd::refused; // the operator, the LF that ends the line, a NUL
    held.text[held.length++] = static_cast<char>(c);
    return line_end(next_source_byte());
}

// Reads the next calculation into the held text, ready to be released; false when there is none:
// the input ended between calculations, or the check refused it (and named its line).
inline bool hold_next_calculation() {
    static const char *const expected[] = {expected_first_operand, expected_second_operand,
                                           expected_operator};
    held.next = ""; // nothing released until the whole calculation is held
    held.length = 0;
    for (int part = 0; part < 3; ++part) {
        const size_t start = held.length;
        LineEnd end = part < 2 ? read_operand_line() : read_operator_line();
        for (; part == 0 && end == LineEnd::newline && held.length == start;
             end = read_operand_line())
            ++input.lines; // an empty line before the calculation
        if (end == LineEnd::refused) return false;
        if (end == LineEnd::nothing && part == 0) {
            held.over = true;
            return false;
        }
        if (end == LineEnd::nothing) return refuse_current_line(ends_inside_a_calculation);
        const size_t length = held.length - start; // an operand: a digit, after a "-" if any
        const bool digits = length > 0 && (held.text[start] != '-' || length > 1);
        if (end == LineEnd::broken || (part < 2 && !digits))
            return refuse(held.line_source, held.line_start, expected[part]);
        held.text[held.length++] = '\n'; // room: left when the line's first byte was held
        if (end == LineEnd::newline) {
            ++input.lines;
            continue;
        }
        held.over = true; // the input has ended: nothing more is read
        if (part < 2) return refuse_current_line(ends_inside_a_calculation);
    }
    held.text[held.length] = '\0'; // room: left with the operator's
    held.next = held.text;
    return true;
}

// The held calculation has been released: the first byte of the next one, or EOF.
[[gnu::noinline]] inline int byte_after_held_text() {
    if (held.over || !hold_next_calculation()) return EOF;
    return static_cast<unsigned char>(*held.next++);
}

// The next byte for the readers once they no longer read the sources: the held calculation's,
// then the next calculation's; EOF once the input has ended.
inline int next_held_byte() {
    const auto c = static_cast<unsigned char>(*held.next);
    if (c == '\0') return byte_after_held_text();
    ++held.next;
    return c;
}

// The next byte of the stream, or EOF once it has ended (and for good); under --strict, the next
// byte of the calculation that the check holds. The run has one thread, so the stream's lock,
// taken per byte by getc, would only cost time. The held bytes are the unlikely way, so that the
// loop without --strict keeps the bytes of the source on its straight path.
inline int next_raw_byte() {
    if (input.progress != Progress::reading) [[unlikely]]
        return next_held_byte();
    int c = getc_unlocked(input.stream);
    return c != EOF ? c : byte_after_end_of_source();
}

// Gives back the byte just read by next_raw_byte (EOF is ignored), which returns it next.
inline void unread_raw_byte(int c) {
    if (c == EOF) return;
    if (input.progress == Progress::reading)
        std::ungetc(c, input.stream);
    else
        --held.next; // a byte of the held text, which is still there
}

// After a CR: a LF behind it is folded into one '\n'; any other byte stays in the stream, and the
// CR is a byte of its own.
[[gnu::noinline]] inline int byte_after_cr() {
    int after = next_raw_byte();
    if (after == '\n') return '\n';
    unread_raw_byte(after);
    return '\r';
}

// The next byte with a CR LF pair folded into one '\n', as every program but list_calc reads its
// lines; a lone CR is a byte of its own.
inline int next_byte_folding_crlf() {
    int c = next_raw_byte();
    return c != '\r' ? c : byte_after_cr();
}

// True when the input ended because a read failed, not merely ended.
inline bool input_failed() {
    return input.progress == Progress::failed;
}

// Call after writing a result: keeps the reason why standard output failed, the first time it has
// (a later failure elsewhere would change errno before the end of the run).
inline void note_output() {
    if (run.write_error == 0 && std::ferror(stdout)) run.write_error = errno != 0 ? errno : EIO;
}

// Flushes standard output and closes the sources. A write error is reported once on standard
// error. Returns the run's exit status: 1 when the output could not be written or the input could
// not be read, else 0.
inline int end_of_run() {
    if (std::fflush(stdout) != 0 && run.write_error == 0)
        run.write_error = errno != 0 ? errno : EIO;
    note_output();
    if (run.write_error != 0) {
        std::fprintf(stderr, "%s: write error: %s\n", run.program, std::strerror(run.write_error));
    }
    bool failed = run.write_error != 0 || input_failed() || held.refused;
    if (input.files != nullptr) close_current_source(); // a stream given by a test stays open
    std::free(input.files);
    start_run(run.program);
    return failed ? 1 : 0;
}

} // namespace calc_io
