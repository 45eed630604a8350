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
};

// Reads a cases file: "# heading" lines, then "in:", "out:", optional "exit:" and "err:" per case.
std::vector<StreamCase> read_cases(const std::string &path);

// Reads "key=value" lines (values escaped); '#' lines and blank lines are ignored.
std::map<std::string, std::string> read_profile(const std::string &path);

// Reads a whole file; throws when it cannot.
std::string read_file(const std::string &path);

} // namespace harness
