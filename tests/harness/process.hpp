// Runs a program as a child process with a given standard input and captures what it writes.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace harness {

struct RunOptions {
    std::vector<std::pair<std::string, std::string>> env; // variables added to the child's environment
    double timeout_seconds = 20;                           // the child is killed after this long
    long address_limit_bytes = 0;                          // RLIMIT_AS for the child; 0 = none
    std::string stdout_path;                               // the child writes here instead, if set
    std::string stdin_path;     // the child reads this file instead of `input`, if set
    bool read_error_at_end = false; // standard input is a socket that delivers `input`, then fails
};

struct RunResult {
    std::string out;        // everything written to standard output
    std::string err;        // everything written to standard error
    int status = -1;        // exit status when the child exited
    int signal = 0;         // the signal that ended the child, 0 when it exited
    bool timed_out = false; // killed by the timeout
};

// Runs argv[0] (a path) with argv, feeding it `input` and then end of input.
RunResult run_program(const std::vector<std::string> &argv, const std::string &input,
                      const RunOptions &options = {});

// A run whose standard input is a pipe that the harness fills one chunk per read(2) of it, as the
// child enters the read: read number `failing_read` (from 1) fails with EIO instead and takes no
// chunk, later reads get the chunks after it, and once they run out the input ends. Each chunk must
// fit one read (stdio asks a pipe for 4,096 bytes). Needs ptrace on x86-64 Linux.
struct FailedReadRun {
    RunResult run;               // output and end, as run_program gives them
    int reads_after_failure = 0; // reads of standard input that followed the failed one
    bool chunk_split = false;    // a read returned other than its whole chunk
};
bool read_failure_injection_available();
FailedReadRun run_with_failed_read(const std::vector<std::string> &argv,
                                   const std::vector<std::string> &chunks, int failing_read,
                                   const RunOptions &options = {});

// The address space (VmPeak, bytes) of the program started on an empty pipe, read while it waits
// in its first read of standard input: what it takes before it holds any number.
long address_space_at_first_read(const std::vector<std::string> &argv,
                                 const RunOptions &options = {});

// "exit 0", "signal 6", "timeout": how the run ended, for messages.
std::string describe_end(const RunResult &r);

} // namespace harness
