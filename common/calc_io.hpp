// The calculation stream and the end of a run, shared by the six calculators: the sources of the
// stream (standard input, or the FILEs named on the command line, read in order as one stream),
// the window of bytes that a program's reader takes next, and the end of the run with its status
// and messages. Every program's own byte reader is built on next_raw_byte. By default the window
// is filled straight from the sources; under --strict, common_form.hpp fills it with the
// calculations that it has checked. command_line.hpp sets the sources up.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace calc_io {

// How far the sources have been read: the state that every read of them checks.
enum class Progress {
    reading, // bytes may follow
    ended,   // the last source has ended: nothing more is read
    failed,  // a read (or the opening of a FILE at its turn) failed: the input ended there
};

// The sources in order and how far they have been read. A source is a FILE named on the command
// line, or "-", standard input; with no FILE, standard input is the one source. A FILE is opened
// at its turn and closed at its end, so any number of them can be read.
struct Input {
    char **files; // the heap array of FILE names, in order (owned); null for standard input alone
    int count;    // number of sources
    int current;  // index of the source being read
    int fd;       // its descriptor, read with read(2); -1 when none is open
    Progress progress;
};

// What one read of the sources gave.
enum class Read {
    bytes,  // one or more bytes
    ended,  // none: the last source has ended
    failed, // none: a read failed (named on standard error)
};

struct Chunk {
    Read outcome;
    size_t count; // bytes read
};

// A line of the stream, for messages: its source, and its number there counted from 1.
struct LineName {
    int source; // -1 for none
    long line;
};

// The bytes that the program's reader takes next, and who gives it more once it has taken them
// all: fill_from_sources, or under --strict the check of the common form.
struct Window {
    const unsigned char *at;  // the next byte
    const unsigned char *end; // one past the last
    bool (*refill)();         // makes [at, end) the next bytes; false, the window empty, at the end
};

// Where the bytes in the window's buffer stand in their source, so that a message can name the
// line of the byte that the reader took last (default mode: the window reads the sources).
struct Lines {
    long before;      // newlines of the current source read before the buffer's bytes
    LineName carried; // a line begun in an earlier source that the current one goes on with
    int last;         // the byte read last before the buffer's bytes ('\n' before the first)
};

// The run: the program's name for messages, why standard output failed (0 while it has not),
// and whether --strict refused the input (named on standard error; the status is then 1).
struct Run {
    const char *program;
    int write_error;
    bool refused;
};

inline Input input{nullptr, 1, 0, STDIN_FILENO, Progress::reading};
inline unsigned char source_bytes[1 << 16]; // the window's buffer in the default mode
bool fill_from_sources();                   // below: the window's refill in the default mode
inline Window window{source_bytes, source_bytes, fill_from_sources};
inline Lines lines{0, {-1, 0}, '\n'};
inline Run run{"calculator", 0, false};

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
inline void report_line(LineName line, const char *what) {
    std::fprintf(stderr, "%s: %s:%ld: %s\n", run.program, source_name(line.source), line.line,
                 what);
}

inline const char expected_operator[] = "expected the operator: \"+\", \"-\" or \"*\"";

// ---- The sources --------------------------------------------------------------------------------

// Ends the input with the failed read (or open) of the current source: named once, and nothing is
// read after it.
inline void fail_input(int error) {
    report(source_name(input.current), error);
    input.progress = Progress::failed;
}

// Closes the current FILE; standard input stays open for a later "-".
inline void close_current_source() {
    const bool file = input.files != nullptr && std::strcmp(input.files[input.current], "-") != 0;
    if (file && input.fd >= 0) close(input.fd);
    input.fd = -1;
}

// Makes source `index` the current one, opened; the input fails when it cannot be. Standard input
// named again reads on after its end, as cat does: a terminal gives more lines.
inline void open_source(int index) {
    input.current = index;
    input.fd = std::strcmp(input.files[index], "-") == 0 ? STDIN_FILENO
                                                         : open(input.files[index], O_RDONLY);
    if (input.fd < 0) fail_input(errno);
}

// The current source has ended: the next one follows, or the input has ended.
inline void open_next_source() {
    close_current_source();
    if (input.current + 1 == input.count)
        input.progress = Progress::ended;
    else
        open_source(input.current + 1);
}

// Reads up to `room` bytes of the stream into `into`: from the current source, or at its end from
// the next that has any. A read returns what has arrived, so nothing waits for bytes beyond them.
inline Chunk read_sources(unsigned char *into, size_t room) {
    while (input.progress == Progress::reading) {
        const ssize_t got = read(input.fd, into, room);
        if (got > 0) return Chunk{Read::bytes, static_cast<size_t>(got)};
        if (got == 0)
            open_next_source();
        else if (errno != EINTR)
            fail_input(errno);
    }
    return Chunk{input.progress == Progress::ended ? Read::ended : Read::failed, 0};
}

// ---- The window, as the program's reader takes it -----------------------------------------------

// The read moved on from source `source` to the current one: a line that the last byte before
// it left open goes on there, and keeps the name of the source where it began.
inline void count_lines_from_next_source(int source) {
    const bool line_goes_on = lines.last != '\n';
    if (!line_goes_on)
        lines.carried = LineName{-1, 0};
    else if (lines.carried.source < 0 || lines.before > 0)
        lines.carried = LineName{source, lines.before + 1};
    lines.before = 0;
}

// The bytes at `at`, as memchr gives them back.
inline const unsigned char *as_bytes(const void *at) {
    return static_cast<const unsigned char *>(at);
}

// The newlines in the window's buffer before `end` (memchr skips the long lines of digits fast).
inline long newlines_before(const unsigned char *end) {
    long newlines = 0;
    const void *at = source_bytes;
    while ((at = std::memchr(at, '\n', static_cast<size_t>(end - as_bytes(at)))) != nullptr) {
        ++newlines;
        at = as_bytes(at) + 1;
    }
    return newlines;
}

// Fills the window with the next bytes of the sources (the default); false once they have ended.
[[gnu::noinline]] inline bool fill_from_sources() {
    const int source = input.current;
    lines.before += newlines_before(window.end);
    if (window.end != source_bytes) lines.last = window.end[-1];
    const Chunk chunk = read_sources(source_bytes, sizeof source_bytes);
    if (input.current != source) count_lines_from_next_source(source);
    window.at = source_bytes;
    window.end = source_bytes + chunk.count;
    return chunk.outcome == Read::bytes;
}

// Makes the window read the sources from their start: nothing read yet, no --strict.
inline void read_from_sources() {
    window = Window{source_bytes, source_bytes, fill_from_sources};
    lines = Lines{0, {-1, 0}, '\n'};
}

// Makes `stream` (standard input unless a test gives another) the whole input, not yet read.
inline void read_standard_input(FILE *stream = stdin) {
    input = Input{nullptr, 1, 0, fileno(stream), Progress::reading};
    read_from_sources();
}

// Starts a run of `program` on standard input alone.
inline void start_run(const char *program) {
    read_standard_input();
    run = Run{program, 0, false};
}

// Makes the `count` FILEs of the heap array `files` (taken over) the input, read one after the
// other as one stream, and opens the first. A FILE that cannot be opened at its turn is a read
// error there.
inline void read_files(char **files, int count) {
    input = Input{files, count, 0, -1, Progress::reading};
    read_from_sources();
    open_source(0);
}

// The next byte of the stream, or EOF once it has ended (and for good).
inline int next_raw_byte() {
    if (window.at == window.end && !window.refill()) return EOF;
    return *window.at++;
}

// Gives back the byte just read by next_raw_byte (EOF is ignored), which returns it next: it is
// still in the window.
inline void unread_raw_byte(int c) {
    if (c != EOF) --window.at;
}

// After a CR: a LF behind it is folded into one '\n'; any other byte stays in the stream, and the
// CR is a byte of its own.
[[gnu::noinline]] inline int byte_after_cr() {
    const int after = next_raw_byte();
    if (after == '\n') return '\n';
    unread_raw_byte(after);
    return '\r';
}

// The next byte with a CR LF pair folded into one '\n', as every program but list_calc reads its
// lines; a lone CR is a byte of its own.
inline int next_byte_folding_crlf() {
    const int c = next_raw_byte();
    return c != '\r' ? c : byte_after_cr();
}

// The line of the byte that the reader took last (default mode), named where the line begins.
inline LineName line_taken_last() {
    const unsigned char *last = window.at > source_bytes ? window.at - 1 : source_bytes;
    const long newlines = lines.before + newlines_before(last);
    if (newlines == 0 && lines.carried.source >= 0) return lines.carried;
    return LineName{input.current, newlines + 1};
}

// Names the line of the byte that the reader took last with `what` on standard error.
inline void report_current_line(const char *what) {
    report_line(line_taken_last(), what);
}

// ---- The end of the run -------------------------------------------------------------------------

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
// error. Returns the run's exit status: 1 when the output could not be written, the input could
// not be read or --strict refused it, else 0.
inline int end_of_run() {
    if (std::fflush(stdout) != 0 && run.write_error == 0)
        run.write_error = errno != 0 ? errno : EIO;
    note_output();
    if (run.write_error != 0)
        std::fprintf(stderr, "%s: write error: %s\n", run.program, std::strerror(run.write_error));
    const bool failed = run.write_error != 0 || input_failed() || run.refused;
    close_current_source();
    std::free(input.files);
    start_run(run.program);
    return failed ? 1 : 0;
}

} // namespace calc_io
