// Threads for one large product: how many a run may use (--threads) and a way to run a few jobs at
// once. Only a product big enough to repay a thread's start uses more than one; everything else in
// a run stays in its one thread. A thread that cannot be started costs only speed: its job runs in
// the calling thread, so a calculation never fails for want of threads, and each job computes the
// same bytes wherever it runs.
#pragma once

#include <pthread.h>
#include <sched.h>

namespace parallel {

// The most threads a run uses, whatever --threads asks for: enough for any machine this runs on,
// and few enough that the callers' tables of jobs fit on their stacks.
constexpr unsigned most_threads = 256;

// Threads a run may use for one product; 1 computes everything in the calling thread. The command
// line sets it (no --threads, or 0: processors()); 1 until then, as in a unit test.
inline unsigned threads = 1;

// The processors this process may run on (its affinity mask), at least 1 and at most
// most_threads.
inline unsigned processors() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    const int count = CPU_COUNT(&set);
    if (count < 1) return 1;
    return count < static_cast<int>(most_threads) ? static_cast<unsigned>(count) : most_threads;
}

// Makes `count` the number of threads a run may use: 0 for one per processor, values over
// most_threads as most_threads.
inline void use_threads(unsigned long count) {
    if (count == 0)
        threads = processors();
    else
        threads = count < most_threads ? static_cast<unsigned>(count) : most_threads;
}

namespace detail {

template <class Job, void (*work)(Job &)> void *start(void *job) {
    work(*static_cast<Job *>(job));
    return nullptr;
}

} // namespace detail

// Runs work(jobs[i]) for every i < count (count <= most_threads): jobs 1 to count - 1 each in a
// thread of its own, job 0 in the calling thread, which then waits for the others. A job whose
// thread cannot be started runs in the calling thread after job 0. The jobs must not share what
// they write.
template <class Job, void (*work)(Job &)> void run_jobs(Job *jobs, unsigned count) {
    pthread_t ids[most_threads];
    bool started[most_threads];
    for (unsigned i = 1; i < count; ++i)
        started[i] = pthread_create(&ids[i], nullptr, detail::start<Job, work>, &jobs[i]) == 0;
    if (count > 0) work(jobs[0]);
    for (unsigned i = 1; i < count; ++i) {
        if (started[i])
            pthread_join(ids[i], nullptr);
        else
            work(jobs[i]);
    }
}

} // namespace parallel
