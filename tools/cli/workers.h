// Batch work over several worker processes. The engine draws from the C
// library's rand(), one state per process, so the work is spread over
// processes (fork and a pipe each), never threads. Job i goes to worker
// i mod N and the results come back in input order, so the output of any
// N is byte for byte that of one worker.
#ifndef VELUNDA_CLI_WORKERS_H
#define VELUNDA_CLI_WORKERS_H

#include <functional>
#include <string>

// What one job gives: its text for standard output and for standard error,
// and its exit status (0, 1 or 2).
struct jobResult {
    std::string out, err;
    int status = 0;
};

// Makes job `index`'s result; runs in a worker process (or in this one for a
// single worker), so it may use rand() and the working directory freely.
typedef std::function<jobResult(long index)> jobFunction;
// Takes result `index`, in input order, in this process; false stops the run.
typedef std::function<bool(long index, const jobResult& result)> resultFunction;

// The number of processors online: the default of -j.
int defaultWorkers();

// Reads the value of -j (1 to 256). False when it is not such a number.
bool parseWorkers(const char* text, int* workers);

// Runs job(0) ... job(count - 1) over `workers` processes (at most one per
// job; one means here, without a process) and hands every result to
// `deliver` in order. False, with a message on stderr, when a worker could
// not be started or ended before giving all its results; the workers are
// stopped and waited for when the run ends early.
bool runJobs(long count, int workers, const jobFunction& job, const resultFunction& deliver);

#endif
