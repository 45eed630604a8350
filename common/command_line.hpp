// The command line of every calculator: P [OPTION]... [FILE]... Options are --help, --version,
// --line-buffered, --strict and --threads=N (or --threads N), each also as any unique
// abbreviation; "--" ends them; every other argument is a file to read ("-" is standard input).
// --strict makes the run read through the check of the common form (common_form.hpp); --threads
// sets how many threads a large product may use.
// Only the drivers include this; each passes its own name and usage text. CALC_VERSION comes from
// the build (the project's version in the top CMakeLists.txt).
#pragma once

#include "calc_io.hpp"
#include "common_form.hpp"
#include "parallel.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace command_line {

// What the command line leaves to the driver: the calculations to run, or a status to exit with at
// once (the usage or the version was written, or a fault in the arguments was named).
struct Outcome {
    bool run_calculations;
    int status; // the exit status when run_calculations is false
};

// The long options. Each is taken whole or as any abbreviation that names it alone ("--he").
enum class Option { help, version, line_buffered, strict, threads };

struct LongOption {
    const char *name; // without its "--"
    Option option;
};

constexpr LongOption long_options[] = {{"help", Option::help},
                                       {"version", Option::version},
                                       {"line-buffered", Option::line_buffered},
                                       {"strict", Option::strict},
                                       {"threads", Option::threads}};

// No two names begin with the same letter, so no abbreviation can name two options: there is no
// ambiguous case to report.
constexpr bool first_letters_distinct() {
    for (const LongOption &a : long_options)
        for (const LongOption &b : long_options)
            if (&a != &b && a.name[0] == b.name[0]) return false;
    return true;
}
static_assert(first_letters_distinct());

// The option whose name `argument` ("--" and a name, possibly cut short, possibly with "=value")
// begins with; null when it names none.
inline const LongOption *find_option(const char *argument) {
    const char *name = argument + 2;
    const size_t length = std::strcspn(name, "=");
    if (length == 0) return nullptr;
    for (const LongOption &candidate : long_options)
        if (std::strncmp(candidate.name, name, length) == 0) return &candidate;
    return nullptr;
}

// Reads the count of --threads: decimal digits alone, no sign; a count too large for `count`
// is the largest it holds (use_threads caps it anyway). False when `text` is no count.
inline bool read_count(const char *text, unsigned long *count) {
    if (*text == '\0' || std::strspn(text, "0123456789") != std::strlen(text)) return false;
    *count = std::strtoul(text, nullptr, 10); // ULONG_MAX when it is too large
    return true;
}

// True for an argument before "--" that is an option rather than a file ("-" alone is a file).
inline bool is_option(const char *argument) {
    return argument[0] == '-' && argument[1] != '\0';
}

// Names a fault in the arguments on standard error, with a pointer to --help: status 2.
// `fault` is a message with one %s, the argument or the option's name.
inline Outcome usage_error(const char *program, const char *fault, const char *argument) {
    std::fprintf(stderr, "%s: ", program);
    std::fprintf(stderr, fault, argument);
    std::fprintf(stderr, "\nTry '%s --help' for more information.\n", program);
    return Outcome{false, 2};
}

// Writes the usage (the program's own text between the lines that all six share) or the version
// text; 0, or 1 with a message when standard output fails.
inline int answer(bool help, const char *program, const char *usage) {
    if (help) {
        std::printf("Usage: %s [OPTION]... [FILE]...\n%s\n", program, usage);
        std::fputs("The FILEs are read in order as one stream; with no FILE, or where FILE is -,\n"
                   "standard input is read.\n"
                   "      --line-buffered  write each result line as soon as it is computed\n"
                   "      --strict         accept the common form only: operand lines of digits\n"
                   "                       with an optional leading minus, operator lines +, -\n"
                   "                       or * alone, empty lines between calculations; the\n"
                   "                       first other line is named and ends the run, status 1\n"
                   "      --threads=N      use up to N threads for a large product (default 0:\n"
                   "                       one per processor; 1: one thread)\n"
                   "      --help           display this help and exit\n"
                   "      --version        output version information and exit\n",
                   stdout);
        std::printf("\nHow each kind of damaged input is read: man %s\n", program);
    } else {
        std::printf(
            "%s %s\n"
            "Copyright (C) 2026 the exact-calculators authors.\n"
            "License: MIT. This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n",
            program, CALC_VERSION);
    }
    return calc_io::end_of_run();
}

// Why FILE `name` cannot be read, checked before anything is read: 0 when it can be. It must
// exist, be readable by this process and not be a directory; "-" is standard input.
inline int why_unreadable(const char *name) {
    struct stat status;
    if (std::strcmp(name, "-") == 0) return 0;
    if (access(name, R_OK) != 0 || stat(name, &status) != 0) return errno;
    return S_ISDIR(status.st_mode) ? EISDIR : 0;
}

// Makes the `count` FILEs of the heap array `files` (taken over) the input, once every one of them
// can be read: each that cannot is named on standard error, and then the status is 2 with nothing
// read. Each FILE is opened only at its turn, so their number is not bounded by the limit on open
// files; one that goes away before its turn is a read error there.
inline Outcome read_files(char **files, int count) {
    bool all_readable = true;
    for (int i = 0; i < count; ++i) {
        const int error = why_unreadable(files[i]);
        if (error == 0) continue;
        calc_io::report(files[i], error);
        all_readable = false;
    }
    if (!all_readable) {
        std::free(files);
        return Outcome{false, 2};
    }
    calc_io::read_files(files, count);
    return Outcome{true, 0};
}

// Reads the command line, acting on the options in order, as GNU tools do: --help or --version
// writes the usage or the version and gives the status at once; an unknown option is named on
// standard error with a pointer to --help (status 2); options may follow FILEs, and "--" ends
// them. Then the FILEs (standard input when there are none) become the input. Standard input is
// left unread whenever the calculations are not to run.
inline Outcome handle_arguments(int argc, char **argv, const char *program, const char *usage) {
    calc_io::start_run(program);
    char **files = nullptr; // the FILE operands in order, gathered into a heap array
    int count = 0;
    bool line_buffered = false, strict = false, options_over = false, out_of_memory = false;
    unsigned long threads = 0; // one per processor unless --threads says otherwise
    for (int i = 1; i < argc; ++i) {
        char *argument = argv[i];
        if (options_over || !is_option(argument)) {
            if (files == nullptr && !out_of_memory) {
                files = static_cast<char **>(std::malloc(sizeof(char *) * argc));
                out_of_memory = files == nullptr;
            }
            if (files != nullptr) files[count++] = argument;
            continue;
        }
        if (std::strcmp(argument, "--") == 0) {
            options_over = true;
            continue;
        }
        const LongOption *option = argument[1] == '-' ? find_option(argument) : nullptr;
        const char *value = std::strchr(argument, '=');
        if (option == nullptr || (value != nullptr && option->option != Option::threads)) {
            std::free(files);
            if (option == nullptr)
                return usage_error(program, "unrecognized option '%s'", argument);
            return usage_error(program, "option '--%s' doesn't allow an argument", option->name);
        }
        if (option->option == Option::threads) {
            // The count follows its "=", or is the next argument.
            value = value != nullptr ? value + 1 : i + 1 < argc ? argv[++i] : nullptr;
            if (value == nullptr || !read_count(value, &threads)) {
                std::free(files);
                if (value == nullptr)
                    return usage_error(program, "option '--%s' requires an argument", "threads");
                return usage_error(program, "invalid argument '%s' for '--threads'", value);
            }
            continue;
        }
        if (option->option == Option::line_buffered) {
            line_buffered = true;
            continue;
        }
        if (option->option == Option::strict) {
            strict = true;
            continue;
        }
        std::free(files);
        return Outcome{false, answer(option->option == Option::help, program, usage)};
    }
    if (out_of_memory) {
        calc_io::report("cannot read the files", ENOMEM);
        return Outcome{false, 2};
    }
    parallel::use_threads(threads);
    // Every result line is flushed at its newline; a terminal is line buffered already.
    if (line_buffered) std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Standard input, as start_run left it, or the FILEs.
    const Outcome outcome = count == 0 ? Outcome{true, 0} : read_files(files, count);
    if (outcome.run_calculations && strict) common_form::start();
    return outcome;
}

} // namespace command_line
