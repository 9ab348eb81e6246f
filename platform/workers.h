// Batch work over several worker processes. The engine draws from the C
// library's rand(), one state per process, so the work is spread over
// processes (fork and a pipe each), never threads. Workers take the jobs in
// small runs from a shared counter, so a worker slowed by other work on the
// machine holds up none of the others; the results are handed on in input
// order, so the output of any N is byte for byte that of one worker.
#ifndef VELUNDA_PLATFORM_WORKERS_H
#define VELUNDA_PLATFORM_WORKERS_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// What one job gives: its text for standard output and for standard error,
// and its exit status (0, 1 or 2).
struct jobResult {
    std::string out, err;
    int status = 0;
};

// Makes job `index`'s result; runs in a worker process (or in this one for a
// single worker), so it may use rand() and the working directory freely. A
// worker sees what this process held when the worker was started.
typedef std::function<jobResult(long index)> jobFunction;
// Takes result `index`, in input order, in this process; false stops the run.
typedef std::function<bool(long index, const jobResult& result)> resultFunction;

// This process's end of one worker.
struct jobWorker {
    pid_t pid = -1;
    int fd = -1;           // its results
    std::string pending;   // bytes read, not yet taken
};

// Jobs first .. end - 1, running or to run.
struct jobBatch {
    long first = 0, end = 0;
    std::vector<jobWorker> workers;  // none: the jobs run here, in finishJobs
    void* shared = nullptr;          // the next job to take, shared with the workers
};

// The number of processors online: the default of -j.
int defaultWorkers();

// Reads the value of -j (1 to 256). False when it is not such a number.
bool parseWorkers(const char* text, int* workers);

// Starts jobs first .. end - 1 over `workers` processes (at most one per
// job; one means here, later, without a process). False, with a message on
// stderr, when a worker cannot be started.
bool startJobs(jobBatch* batch, long first, long end, int workers, const jobFunction& job);

// Hands every result of the batch to `deliver` in order and waits for its
// workers. 1 when all were handed over, 0 when `deliver` stopped the run
// (the workers are stopped), -1 with a message on stderr when a worker ended
// before giving all its results. The batch is empty afterwards.
int finishJobs(jobBatch* batch, const jobFunction& job, const resultFunction& deliver);

// startJobs and finishJobs over jobs 0 .. count - 1. False when a worker
// failed.
bool runJobs(long count, int workers, const jobFunction& job, const resultFunction& deliver);

#endif
