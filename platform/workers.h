// Batch work over several worker processes. The engine draws from the C
// library's rand(), one state per process, so the work is spread over
// processes, never threads. Work goes out in small runs (taken from a shared
// counter, or given to the worker with the least to do), so a worker slowed
// by other work on the machine holds up none of the others; the results are
// handed on in input order, so the output of any N is byte for byte that of
// one worker.
#ifndef VELUNDA_PLATFORM_WORKERS_H
#define VELUNDA_PLATFORM_WORKERS_H

#include <sys/types.h>

#include <deque>
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

// The number of processors online: the default of -j.
int defaultWorkers();

// Reads the value of -j (1 to 256). False when it is not such a number.
bool parseWorkers(const char* text, int* workers);

// Runs jobs 0 .. count - 1 over `workers` processes (at most one per job;
// one means here, without a process) and hands every result to `deliver`
// in order. False, with a message on stderr, when a worker could not be
// started or ended before giving all its results.
bool runJobs(long count, int workers, const jobFunction& job, const resultFunction& deliver);

// Jobs whose inputs are made while the work runs, such as the puzzles of a
// long list as it is read. The workers are started as the first inputs
// come and live to the end, so the work never waits for the reading to
// finish: each input goes, a few at a time, to the worker with the least
// left to do, and the results are handed on in input order. A worker knows
// only what its input says (and what this process held when it started).
typedef std::function<jobResult(const std::string& input)> inputJob;

// This process's end of one worker of a stream.
struct streamWorker {
    pid_t pid = -1;
    int fd = -1;            // a socket: inputs out, results in
    long waiting = 0;       // inputs given to it, not yet answered
    std::string toSend;     // inputs not yet taken by the socket
    std::string received;   // result bytes not yet taken
};

// A result in its place: either come back or made here.
struct streamSlot {
    bool filled = false;
    jobResult result;
};

struct jobStream {
    int maxWorkers = 1;
    inputJob job;
    resultFunction deliver;
    std::vector<streamWorker> workers;  // none with one worker: jobs run here at once
    std::string batch;                  // inputs not yet given to a worker
    long batchJobs = 0;
    long next = 0;                      // the index of the next job or result queued
    long delivered = 0;                 // results handed on
    std::deque<streamSlot> slots;       // results delivered .. next - 1
    int state = 1;                      // 1 running, 0 stopped by deliver, -1 a worker failed
};

// Prepares a stream of jobs over `workers` processes (1 to 256).
void startStream(jobStream* stream, int workers, const inputJob& job, const resultFunction& deliver);

// Queues a job. Results may be handed on meanwhile. False once the run has
// stopped: `deliver` said so, or a worker failed (with a message on stderr).
bool queueJob(jobStream* stream, const std::string& input);

// Queues a result made here, handed on in its place among the jobs'.
bool queueResult(jobStream* stream, const jobResult& result);

// Hands on every result and ends the workers: 1 when all were handed on, 0
// when `deliver` stopped the run, -1 (with a message on stderr) when a
// worker failed.
int finishStream(jobStream* stream);

#endif
