// Process-level suites shared by every calculator, run against the built program:
//   Cases          tests/<program>/cases.txt (and tests/common/strict_cases.txt under --strict)
//   Differential   seeded clean streams, output compared with the GMP oracle byte for byte
//   Robustness     seeded damaged streams: every run ends by exit, in time, with nothing on stderr
//                  but a message naming a line; under --strict, exactly what the oracle gives
//   AllocationFailure  each allocation of a representative run failed in turn
//   AddressLimit   a multi-megabyte operand, and a long stream, under an address-space limit
//   WriteFailure   runs whose standard output cannot be written (/dev/full)
//   ReadFailure    runs whose standard input cannot be read (a directory, a reset connection, a
//                  read failed in the middle of a stream)
//   CommandLine    --help, --version, and a usage error that leaves standard input unread
//   Documentation  the README's edge-rule table and the man page's examples, run as written
//   Leaks          a representative run under valgrind's memcheck
// Usage: process_tests [gtest flags] --program PATH --data DIR [--failalloc LIB]
#include "data.hpp"
#include "oracle.hpp"
#include "process.hpp"
#include "streams.hpp"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace harness;

namespace {

std::string program_path, data_dir, failalloc_path;
std::map<std::string, std::string> profile;

std::string setting(const std::string &key, const std::string &fallback) {
    auto found = profile.find(key);
    return found == profile.end() ? fallback : found->second;
}
long number_setting(const std::string &key, long fallback) {
    return std::stol(setting(key, std::to_string(fallback)));
}

std::string program_name() { return std::filesystem::path(program_path).filename().string(); }

uint64_t base_seed() {
    const char *seed = std::getenv("CALC_SEED");
    return seed ? std::strtoull(seed, nullptr, 10) : 20261208;
}

// Sanitizer reports must be told apart from the program's own exit statuses.
RunOptions sanitizer_options() {
    RunOptions options;
    options.env = {{"ASAN_OPTIONS", "detect_leaks=1:exitcode=86"},
                   {"UBSAN_OPTIONS", "print_stacktrace=1:exitcode=86"}};
    return options;
}

RunResult run(const std::string &input, RunOptions options = sanitizer_options()) {
    return run_program({program_path}, input, options);
}

// Keeps a failing input where it can be replayed: <program>-<what>-<seed>.in in the working dir.
std::string keep_input(const std::string &what, uint64_t seed, const std::string &input) {
    std::string path = program_name() + "-" + what + "-" + std::to_string(seed) + ".in";
    std::ofstream(path, std::ios::binary) << input;
    return std::filesystem::absolute(path).string();
}

std::string representative_input() {
    std::string file = setting("oom_input", "");
    if (!file.empty()) return read_file(data_dir + "/" + file);
    return "12345678901234567890\n-987\n+\n-5\n5\n-\n0007\n0003\n*\n123456789012\n-98765432109\n*\n"
           "99999999999\n1\n+\n1000\n999\n-\n-0\n-0\n+\n-\n7\n*\n";
}

// The allocation-failure outcome: stdout is a prefix of the normal output followed by the
// program's message, and the exit status is the failure status. With `oom_marker`, stdout need only
// agree with the normal output up to the first marker, which must be there unless stdout is empty
// (the run failed before it read anything). With `oom_may_pass=yes`, a failure that costs nothing
// (a block that was only to shrink) may also leave the run as it is without it. Never a signal.
void expect_failure_path(const RunResult &r, const std::string &normal, const std::string &context) {
    std::string message = setting("oom_message", "");
    std::string marker = setting("oom_marker", "");
    long status = number_setting("oom_status", 1);
    ASSERT_FALSE(r.timed_out) << context;
    ASSERT_EQ(r.signal, 0) << context << ": " << escape(r.err.substr(0, 2000));
    if (setting("oom_may_pass", "no") == "yes" && r.status == 0 && r.out == normal) return;
    EXPECT_EQ(r.status, status) << context;
    ASSERT_GE(r.out.size(), message.size()) << context << ": " << escape(r.out.substr(0, 200));
    size_t kept = r.out.size() - message.size();
    EXPECT_EQ(escape(r.out.substr(kept)), escape(message)) << context;
    if (!marker.empty()) {
        kept = r.out.empty() ? 0 : r.out.find(marker);
        ASSERT_NE(kept, std::string::npos) << context << ": no " << escape(marker) << " in "
                                           << escape(r.out.substr(0, 200));
    }
    EXPECT_EQ(r.out.compare(0, kept, normal, 0, kept), 0)
        << context << ": output before the message is not a prefix of the normal output";
}

// Runs every stream of the cases file `path`, with `options` on the command line.
void expect_cases(const std::string &path, const std::vector<std::string> &options) {
    auto cases = read_cases(path);
    ASSERT_FALSE(cases.empty());
    std::vector<std::string> command{program_path};
    command.insert(command.end(), options.begin(), options.end());
    for (const auto &c : cases) {
        std::vector<std::string> with_files = command;
        std::istringstream files(c.args);
        for (std::string file; files >> file;) with_files.push_back(file);
        RunResult r = run_program(with_files, c.input, sanitizer_options());
        std::string where = path + ":" + std::to_string(c.line) + " [" + c.heading +
                            "] in: " + escape(c.input.substr(0, 200));
        EXPECT_EQ(escape(r.out), escape(c.output)) << where;
        if (c.exit == "abort") EXPECT_EQ(r.signal, SIGABRT) << where << " ended " << describe_end(r);
        else EXPECT_EQ(describe_end(r), "exit " + c.exit) << where;
        if (c.has_err) EXPECT_NE(r.err.find(c.err), std::string::npos) << where << " stderr: " << r.err;
        else EXPECT_EQ(r.err, "") << where;
    }
}

TEST(Cases, EveryStreamGivesItsExactOutput) {
    std::string path = data_dir + "/cases.txt";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no cases.txt";
    expect_cases(path, {});
}

// One table for the six: under --strict each gives the same lines, status and message.
TEST(Cases, StrictStreamsGiveTheCommonOutput) {
    expect_cases(data_dir + "/../common/strict_cases.txt", {"--strict"});
}

// A product of two 6,000-digit factors: over 2^25 digit products, which the kernel and list_calc
// split between two or three threads.
std::string threaded_product(std::mt19937_64 &random) {
    auto factor = [&random] {
        std::string digits(6000, '0');
        for (char &digit : digits) digit = static_cast<char>('0' + random() % 10);
        return digits;
    };
    return factor() + "\n" + factor() + "\n*\n";
}

TEST(Differential, AgreesWithTheOracle) {
    long total = number_setting("diff_calculations", 2000);
    StreamShape shape{100, static_cast<int>(number_setting("diff_max_digits", 5000)), 0.1};
    int failures = 0;
    for (long done = 0, stream = 0; done < total && failures < 3; done += shape.calculations, ++stream) {
        uint64_t seed = base_seed() + static_cast<uint64_t>(stream);
        std::mt19937_64 random(seed);
        // Each stream opens with a product large enough to be split between threads, and every
        // other stream is read with three threads and under --strict, which change nothing.
        std::string input = threaded_product(random) + clean_stream(random, shape);
        std::vector<std::string> command{program_path, stream % 2 ? "--threads=3" : "--threads=1"};
        if (stream % 2) command.push_back("--strict");
        RunResult r = run_program(command, input, sanitizer_options());
        std::string expected = expected_results(input);
        if (r.out == expected && describe_end(r) == "exit 0" && r.err.empty()) continue;
        ++failures;
        size_t at = std::mismatch(r.out.begin(), r.out.end(), expected.begin(), expected.end()).first -
                    r.out.begin();
        ADD_FAILURE() << "seed " << seed << " (CALC_SEED=" << seed << ", input kept in "
                      << keep_input("differential", seed, input) << "): ended " << describe_end(r)
                      << ", first difference at output byte " << at << "\n stderr: " << r.err.substr(0, 2000);
    }
}

// Nothing on standard error, or one message that names a line of the input (no sanitizer report).
bool one_message(const std::string &err) {
    return err.empty() || (err.rfind(program_name() + ": standard input:", 0) == 0 &&
                           err.find('\n') == err.size() - 1);
}

TEST(Robustness, DamagedStreamsEndCleanly) {
    long streams = number_setting("robust_streams", 2000);
    std::set<int> allowed;
    std::istringstream statuses(setting("robust_status", "0,1"));
    for (std::string s; std::getline(statuses, s, ',');) allowed.insert(std::stoi(s));
    int failures = 0;
    for (long i = 0; i < streams && failures < 5; ++i) {
        uint64_t seed = base_seed() + static_cast<uint64_t>(i);
        std::mt19937_64 random(seed);
        std::string input = damaged_stream(random);
        RunResult r = run(input);
        bool clean = !r.timed_out && r.signal == 0 && allowed.count(r.status) && one_message(r.err);
        // Under --strict: the results of the calculations before the first line outside the
        // common form, and status 1 with its message when there is such a line.
        bool whole = false;
        std::string expected = expected_results(common_form_prefix(input, whole));
        RunResult s = run_program({program_path, "--strict"}, input, sanitizer_options());
        clean = clean && !s.timed_out && s.signal == 0 && s.out == expected &&
                s.status == (whole ? 0 : 1) && s.err.empty() == whole && one_message(s.err);
        if (clean) continue;
        ++failures;
        ADD_FAILURE() << "seed " << seed << ": ended " << describe_end(r) << ", with --strict "
                      << describe_end(s) << ", input kept in "
                      << keep_input("robustness", seed, input) << "\n stderr: "
                      << r.err.substr(0, 3000) << "\n with --strict: " << s.err.substr(0, 3000);
    }
}

// --help and --version answer on standard output with status 0, or 1 with a message when it cannot
// be written; any other option is named on standard error with status 2, and standard input is
// left unread: a shell reads it after the program, whole. Options act in order (the first of
// them decides), and a unique abbreviation stands for its option.
TEST(CommandLine, HelpVersionAndUsageErrors) {
    RunResult help = run_program({program_path, "--h", "--bogus"}, "", sanitizer_options());
    EXPECT_EQ(describe_end(help), "exit 0");
    EXPECT_NE(help.out.find("Usage: " + program_name()), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("man " + program_name()), std::string::npos) << help.out;
    EXPECT_EQ(help.err, "");
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size() - std::count_if(line.begin(), line.end(),
                                              [](unsigned char c) { return (c & 0xc0) == 0x80; }),
                  80u)
            << "wider than 80 columns: " << line;

    RunResult version = run_program({program_path, "--vers", "--help"}, "", sanitizer_options());
    EXPECT_EQ(describe_end(version), "exit 0");
    const std::string first = version.out.substr(0, version.out.find('\n') + 1);
    const std::string prefix = program_name() + " ";
    const std::string number = first.substr(std::min(prefix.size(), first.size()));
    EXPECT_TRUE(first.rfind(prefix, 0) == 0 && number.size() >= 4 && number.back() == '\n' &&
                number.find('.') != std::string::npos && std::isdigit(number.front()) &&
                number.find_first_not_of("0123456789.\n") == std::string::npos)
        << "not \"" << prefix << "<dotted version>\" first: " << escape(version.out);
    EXPECT_NE(version.out.find("License"), std::string::npos) << version.out;

    RunOptions full = sanitizer_options();
    full.stdout_path = "/dev/full";
    RunResult unwritten = run_program({program_path, "--version"}, "", full);
    EXPECT_EQ(describe_end(unwritten), "exit 1");
    EXPECT_EQ(unwritten.err, program_name() + ": write error: No space left on device\n");

    RunResult wrong = run_program(
        {"/bin/bash", "-c", "\"$0\" --frobnicate --help; echo \"status $?\"; cat", program_path},
        "2\n3\n*\n", sanitizer_options());
    EXPECT_EQ(escape(wrong.out), escape("status 2\n2\n3\n*\n"));
    EXPECT_NE(wrong.err.find("'--frobnicate'"), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("--help"), std::string::npos) << wrong.err;

    const std::pair<std::string, std::string> faults[] = {
        {"--line=yes", "option '--line-buffered' doesn't allow an argument"},
        {"--=x", "unrecognized option '--=x'"}};
    for (const auto &[argument, fault] : faults) {
        RunResult r = run_program({program_path, argument}, "", sanitizer_options());
        EXPECT_EQ(describe_end(r), "exit 2") << argument;
        EXPECT_NE(r.err.find(fault), std::string::npos) << r.err;
    }

    // --threads takes its count after "=" or as the next argument, which is then no FILE.
    RunResult counted = run_program({program_path, "--threads", "2", "--th=0"}, "2\n3\n*\n",
                                    sanitizer_options());
    EXPECT_EQ(escape(counted.out) + " " + describe_end(counted), "6\\n exit 0") << counted.err;
    for (const char *count : {"--threads=x", "--threads=-1", "--threads"}) {
        RunResult bad = run_program({program_path, count}, "", sanitizer_options());
        EXPECT_EQ(describe_end(bad), "exit 2") << count;
        EXPECT_NE(bad.err.find("--threads'"), std::string::npos) << count << ": " << bad.err;
    }
}

// Runs `script` in bash in a fresh directory holding the files `12-` ("12\n-"), `5+` ("5\n+\n"),
// `all` ("12\n-5\n+\n"), `--help` ("3\n4\n*\n") and `3*` ("3\n4\n*"), with $P the program and
// `input` on stdin.
RunResult run_on_files(const std::string &script, const std::string &input) {
    char directory[] = "/tmp/calc-files-XXXXXX";
    if (mkdtemp(directory) == nullptr) throw std::runtime_error("mkdtemp failed");
    const std::pair<const char *, const char *> files[] = {
        {"12-", "12\n-"}, {"5+", "5\n+\n"}, {"all", "12\n-5\n+\n"}, {"--help", "3\n4\n*\n"},
        {"3*", "3\n4\n*"}};
    for (const auto &[name, bytes] : files)
        std::ofstream(std::string(directory) + "/" + name) << bytes;
    RunOptions options = sanitizer_options();
    options.env.push_back({"P", program_path});
    options.env.push_back({"FAILALLOC", failalloc_path});
    RunResult r =
        run_program({"/bin/bash", "-c", "cd \"$0\" && " + script, directory}, input, options);
    std::filesystem::remove_all(directory);
    return r;
}

// FILE operands are read in order as one stream, as cat would give it to standard input.
TEST(CommandLine, FilesReadAsOneStream) {
    const std::string name = program_name();
    // A calculation split across two files, standard input between them, a name after "--".
    RunResult r = run_on_files("\"$P\" 12- 5+ - -- --help", "7\n-8\n*\n");
    EXPECT_EQ(escape(r.out), escape("7\n-56\n12\n"));
    EXPECT_EQ(describe_end(r), "exit 0");
    EXPECT_EQ(r.err, "");

    // Files that cannot be opened: each is named, nothing read, nothing written, status 2.
    r = run_on_files("\"$P\" all missing gone; echo \"status $?\"; cat", "2\n3\n*\n");
    EXPECT_EQ(escape(r.out), escape("status 2\n2\n3\n*\n"));
    EXPECT_EQ(r.err, name + ": missing: No such file or directory\n" + name +
                         ": gone: No such file or directory\n");

    // More files than the process may hold open: each is opened at its turn.
    r = run_on_files("ulimit -n 16 && \"$P\" $(printf 'all %.0s' {1..40}) | uniq -c", "");
    EXPECT_EQ(r.out, "     40 7\n") << r.err;

    // No memory for the list of files: named, nothing read, status 2.
    if (!failalloc_path.empty()) {
        r = run_on_files("LD_PRELOAD=\"$FAILALLOC\" CALC_FAIL_ALLOC_AT=1 \"$P\" all; "
                         "echo \"status $?\"; cat",
                         "2\n");
        EXPECT_EQ(escape(r.out), escape("status 2\n2\n"));
        EXPECT_EQ(r.err, name + ": cannot read the files: Cannot allocate memory\n");
    }

    // A directory, and a FILE that this process may not read, are named before anything is read.
    r = run_on_files("\"$P\" all .; echo \"status $?\"; cat", "2\n");
    EXPECT_EQ(escape(r.out), escape("status 2\n2\n"));
    EXPECT_EQ(r.err, name + ": .: Is a directory\n");
    if (geteuid() != 0) { // root may read any file
        r = run_on_files("chmod 000 5+ && \"$P\" all 5+; echo \"status $?\"", "");
        EXPECT_EQ(escape(r.out), escape("status 2\n"));
        EXPECT_EQ(r.err, name + ": 5+: Permission denied\n");
    }

    // Under --strict a FILE without its last newline joins the next FILE's first line: the line
    // "*12" begins on line 3 of the second FILE, and its second byte ends the run.
    r = run_on_files("\"$P\" --strict all 3* 12-", "");
    EXPECT_EQ(escape(r.out), escape("7\n"));
    EXPECT_EQ(describe_end(r), "exit 1");
    EXPECT_EQ(r.err, name + ": 3*:3:2: expected the operator: \"+\", \"-\" or \"*\"; found '1'\n");
}

// With --line-buffered a result line comes back through a pipe while the input is still open; a
// program that prints only once its input has ended says so in its profile (line_buffered=no).
TEST(CommandLine, LineBufferedResultsArriveAtOnce) {
    if (setting("line_buffered", "yes") != "yes") return; // it prints once its input has ended
    for (const std::string strict : {"", "--strict"}) { // under --strict, once the check has it all
        RunResult r = run_program(
            {"/bin/bash", "-c",
             "coproc \"$0\" --line-buffered $1; printf '12\\n-5\\n+\\n' >&${COPROC[1]};"
             " read -t 5 -r line <&${COPROC[0]}; echo \"[$line]\"",
             program_path, strict},
            "", sanitizer_options());
        EXPECT_EQ(r.out, "[7]\n") << strict << r.err;
    }
}

// The project's root, two levels above the program's data directory (tests/<program>).
std::string project_root() { return data_dir + "/../.."; }

// Every row of the program's edge-rule table in the README is a run with its exact output and
// status, so the table cannot drift from what the program does.
TEST(Documentation, ReadmeTableRowsHold) {
    auto rows = readme_rows(read_file(project_root() + "/README.md"), program_name());
    ASSERT_FALSE(rows.empty()) << "no edge-rule table under ### " << program_name();
    for (const auto &row : rows) {
        RunResult r = run(row.input);
        EXPECT_EQ(escape(r.out), escape(row.output)) << row.where;
        EXPECT_EQ(describe_end(r), "exit " + std::to_string(row.status)) << row.where;
    }
}

// A stream that --strict accepts, written in each way it allows: 1,000 calculations, an empty line
// before about a tenth of them, a CR before about a third of the LFs, no newline at the end.
std::string accepted_stream(std::mt19937_64 &random) {
    std::istringstream lines(clean_stream(random, StreamShape{1000, 60, 0.1}));
    std::string stream, line;
    for (int number = 0; std::getline(lines, line); ++number) {
        if (number % 3 == 0 && random() % 10 == 0) stream += "\n"; // before a first operand
        stream += line + (random() % 3 == 0 ? "\r\n" : "\n");
    }
    stream.resize(stream.find_last_not_of("\r\n") + 1);
    return stream;
}

// The README's scale-out recipe, run as written but for pieces of 2 KiB (so that cuts fall all
// over the stream), gives the one-process output on a stream that --strict accepts.
TEST(Documentation, ScaleOutRecipeGivesTheOneProcessOutput) {
    if (std::system("command -v parallel >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "GNU parallel is not installed";
    const std::string readme = read_file(project_root() + "/README.md");
    const size_t at = readme.find("\n    parallel --pipe --regexp");
    ASSERT_NE(at, std::string::npos) << "no scale-out recipe in the README";
    std::string recipe = readme.substr(at + 5, readme.find('\n', at + 1) - at - 5);
    for (const auto &[from, to] : {std::pair<std::string, std::string>{"list_calc", "\"$P\""},
                                   {"--block 4M", "--block 2k"}}) {
        ASSERT_NE(recipe.find(from), std::string::npos) << recipe;
        recipe.replace(recipe.find(from), from.size(), to);
    }
    std::mt19937_64 random(base_seed());
    const std::string stream = accepted_stream(random);
    const std::string script = "cat > calculations.txt && " + recipe + " && cat results.txt";
    RunResult pieces = run_on_files(script, stream);
    RunResult one = run_program({program_path, "--strict"}, stream, sanitizer_options());
    EXPECT_EQ(describe_end(one), "exit 0") << one.err;
    EXPECT_EQ(describe_end(pieces), "exit 0") << recipe << "\n" << pieces.err;
    EXPECT_TRUE(pieces.out == one.out) << "not the one-process output; input kept in "
                                       << keep_input("recipe", base_seed(), stream);
}

// The man page rendered as a reader sees it, with the typographic dashes and quotes of the
// terminal output turned back into the ASCII that a shell reads.
std::string rendered_man_page() {
    RunOptions options;
    options.env = {{"LC_ALL", "C.UTF-8"}};
    RunResult r = run_program({"/usr/bin/env", "groff", "-man", "-Tutf8", "-P-cbou",
                               project_root() + "/man/" + program_name() + ".1"},
                              "", options);
    if (r.status != 0) throw std::runtime_error("groff failed: " + r.err);
    std::string text = r.out;
    const std::pair<std::string, std::string> ascii[] = {
        {"\u2212", "-"}, {"\u2010", "-"}, {"\u2018", "'"}, {"\u2019", "'"}};
    for (const auto &[fancy, plain] : ascii)
        for (size_t at = text.find(fancy); at != std::string::npos; at = text.find(fancy, at))
            text.replace(at, fancy.size(), plain);
    return text;
}

// Every "$ command" of the man page's EXAMPLES prints exactly the lines shown under it, with the
// built programs first on the PATH.
TEST(Documentation, ManPageExamplesHold) {
    auto examples = man_examples(rendered_man_page());
    ASSERT_FALSE(examples.empty()) << "no examples in the man page of " << program_name();
    std::string bin = std::filesystem::path(program_path).parent_path().string();
    std::string path = bin + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (const auto &example : examples) {
        RunOptions options = sanitizer_options();
        options.env.push_back({"PATH", path});
        RunResult r = run_program({"/bin/bash", "-c", example.input}, "", options);
        EXPECT_EQ(escape(r.out), escape(example.output)) << example.where << "\n stderr: " << r.err;
    }
}

#ifdef CALC_SANITIZED
#define SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "needs a build without sanitizers"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif

// With `oom_costs_its_line`, a failed allocation costs its calculation's line alone: the other
// lines are all there, unless the list of calculations could not grow to keep calculation N,
// which stops the reading. The list is full only where N - 1 is 0 or a power of two (it holds 2,
// 4, 8 ... calculations); an empty output is a list that could not be made.
void expect_only_its_line_lost(const RunResult &r, const std::string &normal,
                               const std::string &context) {
    const size_t named = r.err.find(": calculation ");
    if (named == std::string::npos && !r.out.empty()) {
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'),
                  std::count(normal.begin(), normal.end(), '\n'))
            << context << ": " << escape(r.out);
    }
    if (named == std::string::npos) return;
    const unsigned long n = std::stoul(r.err.substr(named + 14));
    EXPECT_TRUE(n == 1 || std::has_single_bit(n - 1)) << context << ": " << r.err;
}

TEST(AllocationFailure, EveryAllocationTakesTheFailurePath) {
    SKIP_UNDER_SANITIZERS();
    ASSERT_FALSE(failalloc_path.empty());
    std::string input = representative_input();
    std::string count_file = program_name() + "-allocations.count";
    RunOptions counting;
    counting.env = {{"LD_PRELOAD", failalloc_path}, {"CALC_ALLOC_COUNT_FILE", count_file}};
    RunResult normal = run_program({program_path}, input, counting);
    ASSERT_EQ(describe_end(normal), "exit 0");
    long count = std::stol(read_file(count_file));
    std::remove(count_file.c_str());
    ASSERT_GT(count, 0);
    std::cout << program_name() << ": failing each of " << count << " allocations\n";
    for (long k = 1; k <= count; ++k) {
        RunOptions failing;
        failing.env = {{"LD_PRELOAD", failalloc_path}, {"CALC_FAIL_ALLOC_AT", std::to_string(k)}};
        RunResult r = run_program({program_path}, input, failing);
        const std::string context = "allocation " + std::to_string(k) + " of " + std::to_string(count);
        expect_failure_path(r, normal.out, context);
        if (setting("oom_costs_its_line", "no") == "yes") expect_only_its_line_lost(r, normal.out, context);
        if (testing::Test::HasFailure()) break;
    }
}

TEST(AddressLimit, HugeOperandTakesTheFailurePath) {
    SKIP_UNDER_SANITIZERS();
    if (setting("address_limit", "no") != "yes") GTEST_SKIP() << "not asked for in the profile";
    size_t digits = static_cast<size_t>(number_setting("address_limit_digits", 128000000));
    std::string input = std::string(digits, '1') + "\n1\n+\n";
    std::string normal = std::string(digits - 1, '1') + "2\n";
    RunOptions limited;
    limited.address_limit_bytes = number_setting("address_limit_mb", 96) << 20;
    limited.timeout_seconds = 60;
    expect_failure_path(run_program({program_path}, input, limited), normal, "address-space limit");

    // Under --strict the check holds the huge line before any of it reaches the program: memory
    // runs out there, the line is named, and the run ends with status 1, nothing written.
    RunResult held = run_program({program_path, "--strict"}, input, limited);
    EXPECT_EQ(describe_end(held), "exit 1");
    EXPECT_EQ(held.out, "");
    EXPECT_EQ(held.err, program_name() + ": standard input:1: Cannot allocate memory\n");

    // A doubling of the held text that the limit refuses is retried with the growth needed: a line
    // of seven tenths of the limit, read from a file 64 KiB at a time, fits once but not doubled.
    // The check holds it, and the program runs out of memory by its own failure path.
    const std::string file = program_name() + "-seven-tenths.in";
    const size_t seven_tenths = static_cast<size_t>(limited.address_limit_bytes) / 10 * 7;
    std::ofstream(file, std::ios::binary) << std::string(seven_tenths, '1') << "\n1\n+\n";
    RunOptions from_file = limited;
    from_file.stdin_path = file;
    RunResult fits = run_program({program_path, "--strict"}, "", from_file);
    std::remove(file.c_str());
    expect_failure_path(fits, std::string(seven_tenths - 1, '1') + "2\n", "held, not doubled");
    EXPECT_EQ(fits.err, "");

    // A program that goes on after a failed allocation (address_limit_goes_on: its exact output)
    // throws the rest of a huge line away and reads the next calculations where they are, or meets
    // the end of the input there. Before it, after a result, a line of half as many digits: it fits
    // a line buffer that doubles, but not a copy of that buffer beside it.
    std::string goes_on = setting("address_limit_goes_on", "");
    if (goes_on.empty()) return;
    const std::string huge(digits, '9');
    RunResult r = run_program({program_path},
                              "1\n2\n+\n" + huge.substr(digits / 2) + "\n5\n*\n" + huge +
                                  "\n8\n+\n2\n3\n+\n" + huge,
                              limited);
    EXPECT_EQ(escape(r.out), escape(goes_on));
    EXPECT_EQ(describe_end(r), "exit " + setting("oom_status", "1"));
}

// Calculations on 20,000-digit operands, in turn: a difference and a sum of numbers that agree but
// for their last ten digits (results with about 19,990 leading zeros to strip), a sum with carries,
// and a product by a 20-digit number.
std::string long_stream(std::mt19937_64 &random, int calculations) {
    auto number = [&random](size_t digits) {
        std::string text(digits, '0');
        for (char &c : text) c = static_cast<char>('0' + random() % 10);
        text[0] = static_cast<char>('1' + random() % 9);
        return text;
    };
    std::string stream;
    for (int i = 0; i < calculations; ++i) {
        const std::string x = number(20000), near = x.substr(0, 19990) + number(10);
        const std::string rows[4][2] = {
            {near, "-"}, {"-" + near, "+"}, {number(20000), "+"}, {number(20), "*"}};
        stream += x + "\n" + rows[i % 4][0] + "\n" + rows[i % 4][1] + "\n";
    }
    return stream;
}

// A long stream runs in the memory of one calculation: 400 calculations (about 14 MB of operands)
// give their exact results under an address-space limit 4 MiB above what the program takes before
// it holds a number. RLIMIT_AS counts the binary, its libraries and stdio's buffers too, and they
// differ by build and machine, so that base is measured: VmPeak while the program waits on its
// first read of an empty pipe.
TEST(AddressLimit, LongStreamRunsInBoundedMemory) {
    SKIP_UNDER_SANITIZERS();
    if (setting("bounded_memory", "yes") != "yes") GTEST_SKIP() << "not asked for in the profile";
    std::mt19937_64 random(base_seed());
    const std::string input = long_stream(random, 400);
    RunOptions limited;
    limited.address_limit_bytes = address_space_at_first_read({program_path}) + (4L << 20);
    limited.timeout_seconds = 120;
    RunResult r = run_program({program_path}, input, limited);
    const std::string expected = expected_results(input);
    const auto lines = [](const std::string &text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    EXPECT_EQ(describe_end(r), "exit 0") << "under " << limited.address_limit_bytes << " bytes";
    EXPECT_TRUE(r.out == expected) << lines(r.out) << " result lines of " << lines(expected)
                                   << ", under " << limited.address_limit_bytes << " bytes";
}

TEST(WriteFailure, UnwritableOutputIsNotASuccess) {
    RunOptions options = sanitizer_options();
    options.stdout_path = "/dev/full";
    RunResult r = run(representative_input(), options);
    EXPECT_EQ(describe_end(r), "exit " + setting("write_error_status", "1"));
    EXPECT_EQ(r.err, program_name() + ": write error: No space left on device\n");
}

// An output of several stdio buffers fails at the first flush inside the run. Each failed flush
// drops what it held, so for some output sizes nothing is left for the last flush, and only the
// stream's error flag remembers the failure; which sizes depends on how the program writes, so a
// run of sizes around two buffers (4,096 to 4,101 results of "2\n") covers each way. The input
// then fails too (a connection reset), after the output has: each error keeps its own reason.
TEST(WriteFailure, AFullDiskAfterTheFirstBufferIsNotASuccess) {
    RunOptions options = sanitizer_options();
    options.stdout_path = "/dev/full";
    options.read_error_at_end = true;
    for (int calculations = 4096; calculations <= 4101; ++calculations) {
        std::string input;
        for (int i = 0; i < calculations; ++i) input += "1\n1\n+\n";
        RunResult r = run(input, options);
        EXPECT_EQ(describe_end(r), "exit " + setting("write_error_status", "1"))
            << calculations << " results";
        EXPECT_EQ(r.err, program_name() + ": standard input: Connection reset by peer\n" +
                             program_name() + ": write error: No space left on device\n")
            << calculations << " results";
    }
}

// A standard input that cannot be read: a directory fails at the first read, and a connection
// reset after two calculations fails right after their bytes. The input ends there for what is
// printed, and the run is not a success.
TEST(ReadFailure, UnreadableInputIsNotASuccess) {
    RunOptions directory = sanitizer_options();
    directory.stdin_path = "/";
    RunResult r = run_program({program_path, "-"}, "", directory);
    EXPECT_EQ(escape(r.out), "");
    EXPECT_EQ(describe_end(r), "exit 1") << "reading a directory";
    EXPECT_EQ(r.err, program_name() + ": standard input: Is a directory\n");

    RunOptions reset = sanitizer_options();
    reset.read_error_at_end = true;
    const std::string two = "12\n-5\n+\n3\n4\n*\n";
    r = run(two, reset);
    EXPECT_EQ(escape(r.out), escape(expected_results(two)));
    EXPECT_EQ(describe_end(r), "exit 1") << "a connection reset after two calculations";
    EXPECT_EQ(r.err, program_name() + ": standard input: Connection reset by peer\n");
}

// A read that fails in the middle of a stream ends the input there, with more calculations behind
// it: the output is what the program prints for the bytes before the failure alone, the status is
// 1, and standard input is not read again (later reads are still served the rest, so a program
// that reads on shows it in its output too). The failed read follows a chunk that ends inside a
// CR LF pair, right after an operator byte, inside an operand, and on a calculation boundary, and
// under --strict inside the second operand. The failed read is the one message.
TEST(ReadFailure, AFailedReadEndsTheInputThere) {
    if (!read_failure_injection_available()) GTEST_SKIP() << "failing a read needs x86-64 Linux";
    const std::tuple<std::string, std::string, bool> cuts[] = {
        {"12\r\n-5\r\n+\r\n3\r\n4\r\n*\r\n55\r", "\n6\r\n+\r\n100\r\n200\r\n*\r\n", false},
        {"12\n-5\n+", "3\n4\n*\n5\n6\n+\n", false},
        {"12\n-5\n+\n3\n4\n*\n5", "5\n6\n-\n7\n8\n*\n", false},
        {"12\n-5\n+\n", "3\n4\n*\n5\n6\n+\n", false},
        {"12\n-5", "+\n3\n4\n*\n", true}};
    RunOptions options = sanitizer_options();
    options.env[0].second += ":detect_leaks=0"; // LeakSanitizer cannot run in a traced process
    for (const auto &[before, after, strict] : cuts) {
        std::vector<std::string> command{program_path};
        if (strict) command.push_back("--strict");
        FailedReadRun r = run_with_failed_read(command, {before, after}, 2, options);
        std::string where = escape(before) + " | failed read | " + escape(after);
        ASSERT_FALSE(r.chunk_split) << where;
        EXPECT_EQ(escape(r.run.out), escape(run_program(command, before, sanitizer_options()).out)) << where;
        EXPECT_EQ(describe_end(r.run), "exit 1") << where;
        EXPECT_EQ(r.reads_after_failure, 0) << where;
        EXPECT_EQ(r.run.err, program_name() + ": standard input: Input/output error\n") << where;
    }
}

TEST(Leaks, RepresentativeRunsLeakNothing) {
    SKIP_UNDER_SANITIZERS();
    if (std::system("command -v valgrind >/dev/null 2>&1") != 0) GTEST_FAIL() << "valgrind is missing";
    std::mt19937_64 random(base_seed());
    std::vector<std::string> inputs{representative_input(), damaged_stream(random), damaged_stream(random)};
    for (const auto &input : inputs) {
        RunOptions options;
        options.timeout_seconds = 120;
        RunResult r = run_program({"/usr/bin/env", "valgrind", "--quiet", "--leak-check=full",
                                   "--show-leak-kinds=definite,indirect,possible",
                                   "--errors-for-leak-kinds=definite,indirect,possible",
                                   "--error-exitcode=99", program_path},
                                  input, options);
        EXPECT_NE(r.status, 99) << "memcheck found errors on input " << escape(input.substr(0, 300))
                                << "\n" << r.err;
        EXPECT_EQ(r.signal, 0) << describe_end(r);
    }
}

} // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i];
        if (flag == "--program") program_path = argv[i + 1];
        else if (flag == "--data") data_dir = argv[i + 1];
        else if (flag == "--failalloc") failalloc_path = argv[i + 1];
    }
    if (program_path.empty() || data_dir.empty()) {
        std::fprintf(stderr, "usage: process_tests [gtest flags] --program PATH --data DIR [--failalloc LIB]\n");
        return 2;
    }
    if (std::filesystem::exists(data_dir + "/profile.txt")) profile = read_profile(data_dir + "/profile.txt");
    return RUN_ALL_TESTS();
}
