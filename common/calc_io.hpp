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

// How far the stream has been read: the state every reading path checks.
enum class Progress {
    reading, // bytes may follow
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
};

// The run: the program's name for messages, and why standard output failed (0 while it has not).
struct Run {
    const char *program;
    int write_error;
};

inline Input input{nullptr, 1, 0, stdin, Progress::reading};
inline Run run{"calculator", 0};

// Makes `stream` (standard input unless a test gives another) the whole input, not yet read.
inline void read_standard_input(FILE *stream = stdin) {
    input = Input{nullptr, 1, 0, stream, Progress::reading};
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

// The next byte of the stream, or EOF once it has ended (and for good). The run has one thread,
// so the stream's lock, taken per byte by getc, would only cost time.
inline int next_raw_byte() {
    if (input.progress != Progress::reading) return EOF;
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
    bool failed = run.write_error != 0 || input_failed();
    if (input.files != nullptr) close_current_source(); // a stream given by a test stays open
    std::free(input.files);
    start_run(run.program);
    return failed ? 1 : 0;
}

} // namespace calc_io
