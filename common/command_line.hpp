// The command line of every calculator: P [OPTION]... [FILE]... Options are --help, --version and
// --line-buffered; "--" ends them; every other argument is a file to read ("-" is standard input).
// Only the drivers include this; each passes its own name and usage text. CALC_VERSION comes from
// the build (the project's version in the top CMakeLists.txt).
#pragma once

#include "calc_io.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace command_line {

// What handle_arguments returns when the calculation stream is ready to be read.
constexpr int run_calculations = -1;

// True for an argument before "--" that is an option rather than a file ("-" alone is a file).
inline bool is_option(const char *argument) {
    return argument[0] == '-' && argument[1] != '\0';
}

// Writes the usage (the program's own text between the lines that all six share) or the version
// text; 0, or 1 with a message when standard output fails.
inline int answer(const char *option, const char *program, const char *usage) {
    if (std::strcmp(option, "--help") == 0) {
        std::printf("Usage: %s [OPTION]... [FILE]...\n%s\n", program, usage);
        std::fputs("The FILEs are read in order as one stream; with no FILE, or where FILE is -,\n"
                   "standard input is read.\n"
                   "      --line-buffered  write each result line as soon as it is computed\n"
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

// Opens the `count` files `names` as the sources of the stream ("-" is standard input). Each that
// cannot be opened is named on standard error; then nothing is read and the status is 2. Returns
// run_calculations when every file is open.
inline int open_files(char **names, int count, const char *program) {
    if (count == 0) return run_calculations; // standard input, as start_run left it
    auto *sources = static_cast<calc_io::Source *>(std::malloc(sizeof(calc_io::Source) * count));
    if (sources == nullptr) {
        calc_io::report("cannot read the files", ENOMEM);
        return 2;
    }
    int opened = 0;
    bool all_opened = true;
    for (int i = 0; i < count; ++i) {
        FILE *stream = std::strcmp(names[i], "-") == 0 ? stdin : std::fopen(names[i], "r");
        if (stream == nullptr) {
            calc_io::report(names[i], errno);
            all_opened = false;
            continue;
        }
        sources[opened++] = calc_io::Source{stream, stream == stdin ? "standard input" : names[i]};
    }
    calc_io::start_run(program, sources, opened);
    if (all_opened) return run_calculations;
    calc_io::end_of_run(); // closes what was opened; nothing was read or written
    return 2;
}

// Reads the command line. With no arguments, or only --line-buffered and files, the sources are
// set up and run_calculations is returned. --help or --version (the first one given acts) prints
// the usage or the version and gives the status. An unknown option is named on standard error
// with a pointer to --help: status 2. Standard input is left unread whenever the status is
// returned.
inline int handle_arguments(int argc, char **argv, const char *program, const char *usage) {
    calc_io::start_run(program, nullptr, 0);
    const char *asked = nullptr; // the first --help or --version
    bool line_buffered = false, options_over = false;
    int files = 0; // the file operands are gathered, in order, at argv[1 .. files]
    for (int i = 1; i < argc; ++i) {
        char *argument = argv[i];
        if (options_over || !is_option(argument)) {
            argv[++files] = argument;
        } else if (std::strcmp(argument, "--") == 0) {
            options_over = true;
        } else if (std::strcmp(argument, "--help") == 0 ||
                   std::strcmp(argument, "--version") == 0) {
            if (asked == nullptr) asked = argument;
        } else if (std::strcmp(argument, "--line-buffered") == 0) {
            line_buffered = true;
        } else {
            std::fprintf(stderr,
                         "%s: unrecognized option '%s'\nTry '%s --help' for more information.\n",
                         program, argument, program);
            return 2;
        }
    }
    if (asked != nullptr) return answer(asked, program, usage);
    // Every result line is flushed at its newline; a terminal is line buffered already.
    if (line_buffered) std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return open_files(argv + 1, files, program);
}

} // namespace command_line
