// The calculation stream and the output of a calculator: where the bytes come from (standard input,
// or the files named on the command line read in order as one stream), the one state that says the
// stream has ended, and the end of the run with its status and messages. Every program's own byte
// reader is built on next_raw_byte; command_line.hpp sets the sources up.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace calc_io {

// One source of the stream: an open file and its name for messages.
struct Source {
    FILE *stream;
    const char *name; // as given on the command line, or "standard input"
};

// The calculation stream: its sources in order and how far it has been read.
struct Input {
    Source *sources; // the sources, read one after the other
    int count;       // number of sources
    int current;     // index of the source being read
    FILE *stream;    // the stream of sources[current], kept at hand for the byte loop
    bool ended;      // set once, by the end of the last source or by a failed read; from then on
                     // nothing is read and every byte is EOF
    bool failed;     // the input ended because a read failed
};

// The run: the program's name for messages, and why standard output failed (0 while it has not).
struct Run {
    const char *program;
    int write_error;
};

inline Source standard_input_alone{stdin, "standard input"};
inline Input input{&standard_input_alone, 1, 0, stdin, false, false};
inline Run run{"calculator", 0};

// Makes `stream` (standard input unless a test gives another) the whole input, not yet read.
inline void read_standard_input(FILE *stream = stdin) {
    standard_input_alone.stream = stream;
    input = Input{&standard_input_alone, 1, 0, stream, false, false};
}

// Starts a run of `program` that reads `count` sources, taking over the heap array `sources` and
// the files in it (none at all is an input already ended); standard input alone when `sources` is
// null.
inline void start_run(const char *program, Source *sources, int count) {
    read_standard_input();
    if (sources != nullptr)
        input = Input{sources, count, 0, count > 0 ? sources[0].stream : stdin, count == 0, false};
    run = Run{program, 0};
}

// Writes "<program>: <what>: <reason>" on standard error.
inline void report(const char *what, int error) {
    std::fprintf(stderr, "%s: %s: %s\n", run.program, what, std::strerror(error));
}

// Ends the input with the failed read of the current source: reported once, nothing read after it.
inline int end_with_failed_read(int error) {
    report(input.sources[input.current].name, error);
    input.ended = input.failed = true;
    return EOF;
}

// The current source gave EOF: a failed read ends the input; the end of a source goes on with the
// first byte of the next one, so that the sources read as one stream.
[[gnu::noinline]] inline int byte_after_end_of_source() {
    for (;;) {
        if (std::ferror(input.stream)) return end_with_failed_read(errno);
        if (input.current + 1 == input.count) {
            input.ended = true;
            return EOF;
        }
        input.stream = input.sources[++input.current].stream;
        if (input.stream == stdin) std::clearerr(stdin); // "-" named again reads on, as cat does
        int c = getc_unlocked(input.stream);
        if (c != EOF) return c;
    }
}

// The next byte of the stream, or EOF once it has ended (and for good). The run has one thread,
// so the stream's lock, taken per byte by getc, would only cost time.
inline int next_raw_byte() {
    if (input.ended) return EOF;
    int c = getc_unlocked(input.stream);
    return c != EOF ? c : byte_after_end_of_source();
}

// Gives back the byte just read by next_raw_byte (EOF is ignored), which returns it next.
inline void unread_raw_byte(int c) {
    if (c != EOF) std::ungetc(c, input.stream);
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
    return input.failed;
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
    if (input.sources != &standard_input_alone) {
        for (int i = 0; i < input.count; ++i)
            if (input.sources[i].stream != stdin) std::fclose(input.sources[i].stream);
        std::free(input.sources);
    }
    bool failed = run.write_error != 0 || input.failed;
    start_run(run.program, nullptr, 0);
    return failed ? 1 : 0;
}

} // namespace calc_io
