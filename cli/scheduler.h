// Batch work over several worker processes. The engine draws from the C
// library's rand(), one state per process, so the work is spread over
// processes, never threads. Inputs go out a few at a time to the worker with
// the least left to do, so a worker slowed by other work on the machine holds
// up none of the others; the results are handed on in input order, so the
// output of any number of workers is byte for byte that of one.
//
// The workers are started as the first inputs come and live to the end, so
// the work never waits for the reading to finish. A worker knows only what
// its input says, and what this process held when the worker was started.
#ifndef VELUNDA_CLI_SCHEDULER_H
#define VELUNDA_CLI_SCHEDULER_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/workers.h"

// What one job gives: its text for standard output and for standard error,
// and its exit status (0, 1 or 2).
struct jobResult {
    std::string out, err;
    int status = 0;
};

// Makes an input's result; runs in a worker process (or in this one for a
// single worker), so it may use rand() and the working directory freely.
typedef std::function<jobResult(const std::string& input)> inputJob;
// Takes result `index`, in input order, in this process; false stops the run.
typedef std::function<bool(long index, const jobResult& result)> resultFunction;

class jobStream {
public:
    // Jobs over `workers` processes (1 to 256; one means here and now,
    // without a process). `expected`, when known, is how many jobs will
    // come: long jobs (a puzzle made, a solve explained) then go out in runs
    // small enough that every worker gets several and the last of them
    // holds up the end only briefly.
    jobStream(int workers, const inputJob& job, const resultFunction& deliver, long expected = 0);
    ~jobStream();

    // Queues a job. Results may be handed on meanwhile. False once the run
    // has stopped: `deliver` said so, or a worker failed (with a message on
    // stderr).
    bool queueJob(const std::string& input);
    // Queues a result made here, handed on in its place among the jobs'.
    bool queueResult(const jobResult& result);
    // Hands on every result and ends the workers: 1 when all were handed
    // on, 0 when `deliver` stopped the run, -1 (with a message on stderr)
    // when a worker failed.
    int finish();

    bool running() const { return state == 1; }

private:
    // This process's end of one worker.
    struct worker {
        workerProcess process;
        long waiting = 0;      // inputs given to it, not yet answered
        std::string toSend;    // inputs not yet taken by the socket
        std::string received;  // result bytes not yet taken
    };
    // A result in its place: either come back or made here.
    struct slot {
        bool filled = false;
        jobResult result;
    };

    void fail(const std::string& what);
    bool startWorker();
    void handOn();
    void send(worker* w);
    void takeResults(worker* w);
    void pump(bool wait);
    void dispatch();
    void limitWindow();
    void endWorkers();

    const int maxWorkers;
    const inputJob job;
    const resultFunction deliver;
    long batchLimit, maxWaiting;
    std::vector<worker> workers;  // none with one worker: jobs run here at once
    std::string batch;            // inputs not yet given to a worker
    long batchJobs = 0;
    long next = 0;                // the index of the next job or result queued
    long delivered = 0;           // results handed on
    std::deque<slot> slots;       // results delivered .. next - 1
    int state = 1;                // 1 running, 0 stopped by deliver, -1 a worker failed
    bool finished = false;
};

#endif
