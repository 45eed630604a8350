/* Runs a command as its child and writes the child's peak resident memory, in KiB, to a file.
 * A process's peak counts what its parent held when it was forked, so the one that forks must be
 * small: a Python runner would add its own tens of MiB to every figure.
 * Usage: peak_memory FILE COMMAND [ARG...]; ends with the command's exit status. */
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv) {
    if (argc < 3) {
        fputs("usage: peak_memory FILE COMMAND [ARG...]\n", stderr);
        return 2;
    }
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) return 2;
    FILE *file = fopen(argv[1], "w");
    if (file != NULL) {
        fprintf(file, "%ld\n", usage.ru_maxrss);
        fclose(file);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
