#include "process.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#if defined(__linux__) && defined(__x86_64__)
#define CALC_CAN_FAIL_READS 1
#include <sys/ptrace.h>
#include <sys/user.h>
#endif

namespace harness {
namespace {

void make_pipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

// The child's standard input: fds[0] is the child's end, fds[1] ours to write the input into. With
// read_error_at_end it is a connected pair of Unix sockets, and one byte sent from the child's end
// is left unread on ours: closing our end with data unread resets the connection, so the child's
// reads return the whole input and then fail (ECONNRESET) where a pipe would report its end.
void make_input(int fds[2], const RunOptions &options) {
    if (!options.read_error_at_end) return make_pipe(fds);
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        throw std::runtime_error("socketpair failed");
    if (write(fds[0], "x", 1) != 1) throw std::runtime_error("socket write failed");
}

// With `traced`, the child stops for its parent's tracing at the exec.
[[noreturn]] void exec_child(const std::vector<std::string> &argv, const RunOptions &options,
                             int in, int out, int err, bool traced = false) {
    if (!options.stdin_path.empty()) in = open(options.stdin_path.c_str(), O_RDONLY);
    dup2(in, 0);
    if (!options.stdout_path.empty()) out = open(options.stdout_path.c_str(), O_WRONLY);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto &[name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    if (options.address_limit_bytes > 0) {
        rlimit limit{static_cast<rlim_t>(options.address_limit_bytes),
                     static_cast<rlim_t>(options.address_limit_bytes)};
        setrlimit(RLIMIT_AS, &limit);
    }
    std::vector<char *> args;
    for (const auto &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
#ifdef CALC_CAN_FAIL_READS
    if (traced) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
#else
    (void)traced;
#endif
    execv(args[0], args.data());
    _exit(127);
}

using Clock = std::chrono::steady_clock;

Clock::time_point deadline_after(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

// Reads the child's standard output and error into `result` until both are closed; kills the
// child if the deadline comes first, and then reads for one second more at most (a process the
// child started may keep the pipes open).
void collect_output(int from_out, int from_err, pid_t pid, Clock::time_point deadline,
                    RunResult &result) {
    char buffer[65536];
    while (from_out >= 0 || from_err >= 0) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 && result.timed_out) break;
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.timed_out = true;
            deadline = Clock::now() + std::chrono::seconds(1);
            continue;
        }
        pollfd fds[2];
        int n = 0;
        if (from_out >= 0) fds[n++] = {from_out, POLLIN, 0};
        if (from_err >= 0) fds[n++] = {from_err, POLLIN, 0};
        if (poll(fds, n, static_cast<int>(left)) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            const bool is_out = fds[i].fd == from_out;
            int &fd = is_out ? from_out : from_err;
            ssize_t r = read(fd, buffer, sizeof buffer);
            if (r > 0) {
                (is_out ? result.out : result.err).append(buffer, size_t(r));
            } else if (r == 0 || errno != EINTR) {
                close(fd);
                fd = -1;
            }
        }
    }
    for (int fd : {from_out, from_err})
        if (fd >= 0) close(fd);
}

void end_result(int wstatus, RunResult &result) {
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) result.signal = WTERMSIG(wstatus);
}

} // namespace

RunResult run_program(const std::vector<std::string> &argv, const std::string &input,
                      const RunOptions &options) {
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    make_input(in, options);
    make_pipe(out);
    make_pipe(err);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) exec_child(argv, options, in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // The input is written beside the reading of the output, so that neither pipe fills up and
    // blocks the child; a child that ends without reading it all makes the write fail.
    std::thread writer([&] {
        for (size_t written = 0; options.stdin_path.empty() && written < input.size();) {
            ssize_t w = write(in[1], input.data() + written, input.size() - written);
            if (w < 0 && errno != EINTR) break;
            if (w > 0) written += static_cast<size_t>(w);
        }
        close(in[1]);
    });
    RunResult result;
    collect_output(out[0], err[0], pid, deadline_after(options.timeout_seconds), result);
    writer.join();
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    end_result(wstatus, result);
    return result;
}

namespace {

#ifdef CALC_CAN_FAIL_READS

// The traced child's standard input, served one chunk per read of it.
struct ReadServer {
    const std::vector<std::string> &chunks;
    int failing_read;      // the read (from 1) that fails
    int to_child;          // our end of the pipe, -1 once closed (the input has ended)
    size_t next_chunk = 0; // the chunk the next read gets
    int reads = 0;         // reads of standard input entered so far
    bool in_read = false;  // the child is inside one of them
    long expected = 0;     // what that read must return: a chunk's length, 0 at the end, -EIO
};

// At the entry of a read of standard input: put the next chunk in the pipe (or end the input),
// or, for the failing read, skip the call so that its exit can report the failure.
void enter_read(pid_t pid, user_regs_struct &regs, ReadServer &server, FailedReadRun &run) {
    server.in_read = true;
    if (++server.reads > server.failing_read) ++run.reads_after_failure;
    if (server.reads == server.failing_read) {
        regs.orig_rax = static_cast<unsigned long long>(-1); // no system call is made
        ptrace(PTRACE_SETREGS, pid, nullptr, &regs);
        server.expected = -EIO;
    } else if (server.next_chunk < server.chunks.size()) {
        const std::string &chunk = server.chunks[server.next_chunk++];
        if (write(server.to_child, chunk.data(), chunk.size()) != ssize_t(chunk.size()))
            run.chunk_split = true; // the pipe still held bytes of an earlier chunk
        server.expected = long(chunk.size());
    } else {
        if (server.to_child >= 0) close(server.to_child), server.to_child = -1;
        server.expected = 0;
    }
}

void leave_read(pid_t pid, user_regs_struct &regs, ReadServer &server, FailedReadRun &run) {
    server.in_read = false;
    if (server.expected == -EIO) {
        regs.rax = static_cast<unsigned long long>(-EIO);
        ptrace(PTRACE_SETREGS, pid, nullptr, &regs);
    } else if (long(regs.rax) != server.expected) {
        run.chunk_split = true;
    }
}

// At a system call stop (they alternate, entry then exit, in a process of one thread): serves the
// reads of standard input; every other call passes untouched.
void on_system_call(pid_t pid, bool entry, ReadServer &server, FailedReadRun &run) {
    user_regs_struct regs;
    if (ptrace(PTRACE_GETREGS, pid, nullptr, &regs) != 0) return;
    if (entry && regs.orig_rax == SYS_read && regs.rdi == 0)
        enter_read(pid, regs, server, run);
    else if (!entry && server.in_read)
        leave_read(pid, regs, server, run);
}

// Drives the traced child from its stop at the exec to its end; returns its wait status.
int trace_reads(pid_t pid, ReadServer &server, FailedReadRun &run) {
    int wstatus = 0;
    bool started = false, entry = true;
    while (waitpid(pid, &wstatus, 0) == pid && WIFSTOPPED(wstatus)) {
        int stop = WSTOPSIG(wstatus), deliver = 0;
        if (!started) {
            ptrace(PTRACE_SETOPTIONS, pid, nullptr,
                   PTRACE_O_EXITKILL | PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXEC);
            started = true;
        } else if (stop == (SIGTRAP | 0x80)) {
            on_system_call(pid, entry, server, run);
            entry = !entry;
        } else if (wstatus >> 16 == 0) {
            deliver = stop; // a signal for the child (an event stop carries none)
        }
        ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
    }
    return wstatus;
}

#endif

// Whether the process is blocked in a read of its standard input ("<number> 0x0 ..." in
// /proc/<pid>/syscall; "running" while it runs).
bool waits_on_standard_input(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    std::string fd;
    return file >> number >> fd && number == SYS_read && fd == "0x0";
}

// The process's VmPeak in bytes, -1 if /proc does not show it.
long vm_peak(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    for (std::string field; file >> field;)
        if (long kib = 0; field == "VmPeak:" && file >> kib) return kib * 1024;
    return -1;
}

} // namespace

bool read_failure_injection_available() {
#ifdef CALC_CAN_FAIL_READS
    return true;
#else
    return false;
#endif
}

FailedReadRun run_with_failed_read(const std::vector<std::string> &argv,
                                   const std::vector<std::string> &chunks, int failing_read,
                                   const RunOptions &options) {
    FailedReadRun run;
#ifdef CALC_CAN_FAIL_READS
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    make_pipe(in);
    make_pipe(out);
    make_pipe(err);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) exec_child(argv, options, in[0], out[1], err[1], true);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    std::thread collector(collect_output, out[0], err[0], pid,
                          deadline_after(options.timeout_seconds), std::ref(run.run));
    ReadServer server{chunks, failing_read, in[1]};
    int wstatus = trace_reads(pid, server, run);
    collector.join();
    if (server.to_child >= 0) close(server.to_child);
    end_result(wstatus, run.run);
#else
    (void)argv, (void)chunks, (void)failing_read, (void)options;
#endif
    return run;
}

long address_space_at_first_read(const std::vector<std::string> &argv, const RunOptions &options) {
    int in[2];
    make_pipe(in);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) exec_child(argv, options, in[0], null, null);
    close(in[0]);
    close(null);
    long peak = -1;
    bool ended = false;
    auto deadline = deadline_after(options.timeout_seconds);
    while (peak < 0 && !ended && Clock::now() < deadline) {
        if (waits_on_standard_input(pid))
            peak = vm_peak(pid);
        else
            usleep(1000);
        ended = waitpid(pid, nullptr, WNOHANG) == pid;
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(in[1]);
    if (peak < 0) throw std::runtime_error("the program was never seen waiting on standard input");
    return peak;
}

std::string describe_end(const RunResult &r) {
    if (r.timed_out) return "timeout";
    if (r.signal) return "signal " + std::to_string(r.signal);
    return "exit " + std::to_string(r.status);
}

} // namespace harness
