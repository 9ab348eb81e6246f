#include "scheduler.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

const int kMaxWorkers = 256;
const long kBatchJobs = 64;        // inputs given to a worker at a time
const size_t kBatchBytes = 16384;  // or fewer, when they are long
// Inputs a worker may have unanswered: enough that it never waits for this
// process, few enough that the last of them, once the others are done,
// hold up the end only briefly.
const long kMaxWaiting = 512;
// Results kept waiting for an earlier one (in their places), at most.
const long kMaxWindow = kMaxWorkers * kMaxWaiting;
const size_t kResultHeader = 8;  // status and the length of out (4 bytes each)

// A result as a worker sends it back.
std::string packResult(const jobResult& result) {
    const uint32_t head[2] = {static_cast<uint32_t>(result.status), static_cast<uint32_t>(result.out.size())};
    std::string bytes(reinterpret_cast<const char*>(head), sizeof head);
    return bytes + result.out + result.err;
}

bool unpackResult(const std::string& bytes, jobResult* result) {
    uint32_t head[2];
    if (bytes.size() < kResultHeader) return false;
    std::memcpy(head, bytes.data(), sizeof head);
    if (bytes.size() - kResultHeader < head[1]) return false;
    result->status = static_cast<int>(head[0]);
    result->out.assign(bytes, kResultHeader, head[1]);
    result->err.assign(bytes, kResultHeader + head[1], std::string::npos);
    return true;
}

}  // namespace

jobStream::jobStream(int workers, const inputJob& job, const resultFunction& deliver, long expected)
    : maxWorkers(workers < 1 ? 1 : workers > kMaxWorkers ? kMaxWorkers : workers), job(job), deliver(deliver),
      batchLimit(kBatchJobs), maxWaiting(kMaxWaiting) {
    if (expected > 0) {
        // Runs small enough that every worker gets several, and no more than
        // two of them waiting at a worker.
        const long run = expected / (maxWorkers * 8L);
        batchLimit = run < 1 ? 1 : run > kBatchJobs ? kBatchJobs : run;
        maxWaiting = 2 * batchLimit;
    }
}

jobStream::~jobStream() {
    if (!finished) {
        state = 0;
        endWorkers();
    }
}

void jobStream::fail(const std::string& what) {
    if (state != 1) return;
    std::fprintf(stderr, "velunda-cli: %s\n", what.c_str());
    state = -1;
}

bool jobStream::startWorker() {
    worker w;
    std::vector<workerProcess> others;
    for (const worker& other : workers) others.push_back(other.process);
    const inputJob& run = job;
    const long sendEvery = batchLimit;
    const auto body = [&run, sendEvery](int fd) {
        serveRecords(fd, [&run](const std::string& input) { return packResult(run(input)); }, sendEvery);
    };
    if (!::startWorker(others, body, &w.process)) {
        fail(std::string("cannot start a worker: ") + std::strerror(errno));
        return false;
    }
    workers.push_back(w);
    return true;
}

// Hands on the results that are next in order.
void jobStream::handOn() {
    while (state == 1 && !slots.empty() && slots.front().filled) {
        if (!deliver(delivered, slots.front().result)) state = 0;
        slots.pop_front();
        delivered++;
    }
}

// Gives the socket what it takes of the worker's inputs, without waiting.
void jobStream::send(worker* w) {
    if (!sendSome(w->process.fd, &w->toSend)) fail("a worker process ended before its work was done");
}

// Moves the worker's complete results into their slots.
void jobStream::takeResults(worker* w) {
    size_t at = 0;
    long index;
    std::string bytes;
    while (takeFrame(w->received, &at, &index, &bytes)) {
        const long place = index - delivered;
        jobResult result;
        if (place < 0 || place >= static_cast<long>(slots.size()) || slots[static_cast<size_t>(place)].filled ||
            !unpackResult(bytes, &result)) {
            fail("a worker process failed");
            return;
        }
        slot& s = slots[static_cast<size_t>(place)];
        s.filled = true;
        s.result = std::move(result);
        w->waiting--;
    }
    w->received.erase(0, at);
}

// Takes the results that have come, and sends what the sockets take;
// `wait`: first waits until a worker answers or takes input.
void jobStream::pump(bool wait) {
    std::vector<socketWatch> sockets;
    for (const worker& w : workers) sockets.push_back({w.process.fd, !w.toSend.empty()});
    if (sockets.empty()) {
        if (wait) fail("a worker process ended before its work was done");  // nobody to wait for
        return;
    }
    if (!watchSockets(&sockets, wait)) {
        fail("cannot hear from the workers");
        return;
    }
    for (size_t i = 0; i < sockets.size() && state == 1; i++) {
        worker& w = workers[i];
        if (sockets[i].canSend) send(&w);
        if (!sockets[i].canReceive) continue;
        if (receiveSome(w.process.fd, &w.received) <= 0) {  // gone before this process closed its end
            fail("a worker process ended before its work was done");
            return;
        }
        takeResults(&w);
    }
    handOn();
}

// Gives the batch of inputs to the worker with the least to do, starting
// another while all are busy and -j allows.
void jobStream::dispatch() {
    while (state == 1) {
        worker* chosen = nullptr;
        for (worker& w : workers)
            if (chosen == nullptr || w.waiting < chosen->waiting) chosen = &w;
        if ((chosen == nullptr || chosen->waiting > 0) && static_cast<int>(workers.size()) < maxWorkers) {
            if (!startWorker()) return;
            chosen = &workers.back();
        }
        if (chosen->waiting < maxWaiting) {
            chosen->toSend += batch;
            chosen->waiting += batchJobs;
            batch.clear();
            batchJobs = 0;
            send(chosen);
            return;
        }
        pump(true);
    }
}

// Keeps the results waiting in their places few: waits for the earliest.
void jobStream::limitWindow() {
    while (state == 1 && next - delivered > kMaxWindow) {
        if (batchJobs > 0) dispatch();
        pump(true);
    }
}

// Ends the workers: they are stopped first unless the run went through.
void jobStream::endWorkers() {
    const bool stop = state != 1;
    bool good = true;
    for (worker& w : workers)
        if (!reapWorker(&w.process, stop)) good = false;
    if (!stop && !good) fail("a worker process failed");
    workers.clear();
}

bool jobStream::queueJob(const std::string& input) {
    if (state != 1) return false;
    if (maxWorkers == 1) {  // here and now: nothing waits in the slots
        if (!deliver(next++, job(input))) state = 0;
        delivered = next;
        return state == 1;
    }
    appendFrame(&batch, next++, input);
    slots.emplace_back();
    if (++batchJobs >= batchLimit || batch.size() >= kBatchBytes) {
        dispatch();
        if (state == 1) pump(false);
    }
    limitWindow();
    return state == 1;
}

bool jobStream::queueResult(const jobResult& result) {
    if (state != 1) return false;
    next++;
    slots.emplace_back();
    slots.back().filled = true;
    slots.back().result = result;
    handOn();
    limitWindow();
    return state == 1;
}

int jobStream::finish() {
    if (state == 1 && batchJobs > 0) dispatch();
    while (state == 1 && delivered < next) pump(true);
    endWorkers();
    finished = true;
    slots.clear();
    return state;
}
