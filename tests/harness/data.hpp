// The harness's data files: stream cases and program profiles, with their byte escapes.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace harness {

// Decodes \n \r \t \\ \xHH and \*N(text), text repeated N times; every other byte stands for
// itself.
std::string unescape(const std::string &text);
// The reverse, for messages: control bytes and bytes above 0x7e are written as escapes.
std::string escape(const std::string &bytes);

struct StreamCase {
    std::string heading;  // the "# ..." line the case stands under
    int line = 0;         // line of its "in:" in the file
    std::string input;    // standard input
    std::string output;   // expected standard output, exactly
    std::string exit;     // expected end: a status number, or "abort"
    bool has_err = false; // whether `err` was given
    std::string err;      // expected to occur in standard error; else standard error must be empty
    std::string args;     // FILE operands after the options, blank-separated ("-": the input)
};

// Reads a cases file: "# heading" lines, then "in:", "out:", optional "exit:" and "err:" per case.
std::vector<StreamCase> read_cases(const std::string &path);

// Reads "key=value" lines (values escaped); '#' lines and blank lines are ignored.
std::map<std::string, std::string> read_profile(const std::string &path);

// Reads a whole file; throws when it cannot.
std::string read_file(const std::string &path);

// One documented run: a README table row (input bytes) or a man page example (a shell command).
struct DocumentedRun {
    std::string where;   // the row or the command, for messages
    std::string input;   // standard input (table rows), or the shell command (examples)
    std::string output;  // expected standard output, exactly
    int status = 0;      // expected exit status (table rows; examples are not checked for it)
};

// The rows of the edge-rule table under "### <program>" in the README: `| rule | input | output |`,
// input and output each one escaped code span or the word "nothing", the output then followed by
// ", status N" when the run does not end with 0.
std::vector<DocumentedRun> readme_rows(const std::string &readme, const std::string &program);

// The EXAMPLES section of a rendered man page: each "$ command" line, then its output lines.
std::vector<DocumentedRun> man_examples(const std::string &rendered);

} // namespace harness
