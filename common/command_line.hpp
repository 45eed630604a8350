// The command line of every calculator: --help, --version, and a usage error for anything else.
// Only the drivers include this; each passes its own name and usage text. CALC_VERSION comes from
// the build (the project's version in the top CMakeLists.txt).
#pragma once

#include <cstdio>
#include <cstring>

namespace command_line {

// What handle_arguments returns when there are no arguments: read the calculation stream.
constexpr int run_calculations = -1;

// With no arguments, returns run_calculations. Every argument must be --help or --version: the
// first one then prints the usage or "<program> <version>" on standard output and the status is 0
// (1 when standard output cannot be written). Any other argument is named on standard error with
// a pointer to --help, and the status is 2; standard input is left unread either way.
inline int handle_arguments(int argc, char **argv, const char *program, const char *usage) {
    if (argc < 2) return run_calculations;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "--version") == 0) continue;
        std::fprintf(stderr,
                     "%s: unrecognized argument '%s'\nTry '%s --help' for more information.\n",
                     program, argv[i], program);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0)
        std::fputs(usage, stdout);
    else
        std::printf("%s %s\n", program, CALC_VERSION);
    return std::fflush(stdout) != 0 || std::ferror(stdout) ? 1 : 0;
}

} // namespace command_line
