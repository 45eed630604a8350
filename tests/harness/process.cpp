#include "process.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

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

[[noreturn]] void exec_child(const std::vector<std::string> &argv, const RunOptions &options,
                             int in, int out, int err) {
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
    execv(args[0], args.data());
    _exit(127);
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
    for (int fd : {in[1], out[0], err[0]}) fcntl(fd, F_SETFL, O_NONBLOCK);

    RunResult result;
    size_t written = 0;
    int to_child = in[1];
    if (input.empty() || !options.stdin_path.empty()) close(to_child), to_child = -1;
    int from_out = out[0], from_err = err[0];
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(options.timeout_seconds * 1000));
    char buffer[65536];
    while (from_out >= 0 || from_err >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.timed_out = true;
            break;
        }
        pollfd fds[3];
        int n = 0;
        if (to_child >= 0) fds[n++] = {to_child, POLLOUT, 0};
        if (from_out >= 0) fds[n++] = {from_out, POLLIN, 0};
        if (from_err >= 0) fds[n++] = {from_err, POLLIN, 0};
        if (poll(fds, n, static_cast<int>(left)) < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            int fd = fds[i].fd;
            if (fd == to_child) {
                ssize_t w = write(fd, input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if ((w < 0 && errno != EAGAIN) || written == input.size())
                    close(to_child), to_child = -1;
                continue;
            }
            ssize_t r = read(fd, buffer, sizeof buffer);
            if (r > 0) {
                (fd == from_out ? result.out : result.err).append(buffer, static_cast<size_t>(r));
            } else if (r == 0 || errno != EAGAIN) {
                close(fd);
                (fd == from_out ? from_out : from_err) = -1;
            }
        }
    }
    for (int fd : {to_child, from_out, from_err})
        if (fd >= 0) close(fd);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) result.signal = WTERMSIG(wstatus);
    return result;
}

std::string first_line_while_input_open(const std::vector<std::string> &argv, const std::string &input,
                                        double seconds) {
    signal(SIGPIPE, SIG_IGN);
    int in[2], out[2];
    make_pipe(in);
    make_pipe(out);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) exec_child(argv, RunOptions{}, in[0], out[1], 2);
    close(in[0]);
    close(out[1]);
    if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
        throw std::runtime_error("write failed");
    std::string arrived;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    char buffer[4096];
    while (arrived.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd fd{out[0], POLLIN, 0};
        if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) break;
        ssize_t r = read(out[0], buffer, sizeof buffer);
        if (r <= 0) break;
        arrived.append(buffer, static_cast<size_t>(r));
    }
    close(in[1]);
    close(out[0]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return arrived;
}

std::string describe_end(const RunResult &r) {
    if (r.timed_out) return "timeout";
    if (r.signal) return "signal " + std::to_string(r.signal);
    return "exit " + std::to_string(r.status);
}

} // namespace harness
