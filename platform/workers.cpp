#include "platform/workers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

const int kMaxWorkers = 256;
const long kMaxRun = 64;        // jobs a worker takes at a time, at most
const int kPipeSize = 1 << 20;  // the most Linux gives without privileges
const size_t kHeader = 20;      // index (8 bytes), status, out and err lengths (4 each)

typedef std::atomic<long> sharedCounter;

// This process's end of one worker of a batch.
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

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

template <typename T>
void put(std::string* buffer, T value) {
    buffer->append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
T get(const std::string& buffer, size_t at) {
    T value;
    std::memcpy(&value, buffer.data() + at, sizeof value);
    return value;
}

void putRecord(std::string* buffer, long index, const jobResult& result) {
    put<int64_t>(buffer, index);
    put<uint32_t>(buffer, static_cast<uint32_t>(result.status));
    put<uint32_t>(buffer, static_cast<uint32_t>(result.out.size()));
    put<uint32_t>(buffer, static_cast<uint32_t>(result.err.size()));
    buffer->append(result.out);
    buffer->append(result.err);
}

// Reads the record at *at of `pending`, moving *at past it: false when it
// has not all come yet.
bool takeRecord(const std::string& pending, size_t* at, long* index, jobResult* result) {
    if (pending.size() - *at < kHeader) return false;
    const uint32_t outSize = get<uint32_t>(pending, *at + 12), errSize = get<uint32_t>(pending, *at + 16);
    if (pending.size() - *at - kHeader < static_cast<size_t>(outSize) + errSize) return false;
    *index = static_cast<long>(get<int64_t>(pending, *at));
    result->status = static_cast<int>(get<uint32_t>(pending, *at + 8));
    result->out.assign(pending, *at + kHeader, outSize);
    result->err.assign(pending, *at + kHeader + outSize, errSize);
    *at += kHeader + outSize + errSize;
    return true;
}

// Forks a worker that runs `body` on fds[1] and never returns; this process
// keeps fds[0]. The worker closes this process's ends of the workers before
// it (`others`). Its pid, or -1 with a message on stderr and both ends closed.
template <typename Worker, typename Body>
pid_t forkWorker(const int fds[2], const std::vector<Worker>& others, const Body& body) {
    // Nothing buffered may be written twice, by this process and a worker.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A parent gone (killed by SIGPIPE under `| head`, say) ends the
        // worker too, rather than leaving it computing unseen.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        close(fds[0]);
        for (const Worker& other : others) close(other.fd);
        body(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    if (pid < 0) {
        std::fprintf(stderr, "velunda-cli: cannot start a worker: %s\n", std::strerror(errno));
        close(fds[0]);
    }
    return pid;
}

// The worker's life: runs of jobs taken from the counter until none are
// left, each run's results sent as one write; then _exit, so that nothing
// of the parent (stdio buffers, destructors) runs twice.
void workerMain(int fd, sharedCounter* next, long run, long end, const jobFunction& job) {
    std::string buffer;
    for (;;) {
        const long start = next->fetch_add(run);
        if (start >= end) break;
        buffer.clear();
        for (long i = start; i < end && i < start + run; i++) putRecord(&buffer, i, job(i));
        if (!writeAll(fd, buffer.data(), buffer.size())) _exit(1);
    }
    _exit(0);
}

// Closes the pipes and waits for every worker; `stop` ends them first.
// True when all ended well. The batch is empty afterwards.
bool finish(jobBatch* batch, bool stop) {
    bool good = true;
    for (jobWorker& worker : batch->workers) {
        if (stop && worker.pid > 0) kill(worker.pid, SIGTERM);
        if (worker.fd >= 0) close(worker.fd);
    }
    for (jobWorker& worker : batch->workers) {
        if (worker.pid <= 0) continue;
        int status = 0;
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) good = false;
    }
    batch->workers.clear();
    if (batch->shared != nullptr) munmap(batch->shared, sizeof(sharedCounter));
    batch->shared = nullptr;
    batch->first = batch->end;
    return good;
}

// Moves the complete records of `pending` into their slots.
void takeRecords(std::string* pending, long first, std::vector<jobResult>* slots, std::vector<bool>* filled) {
    size_t at = 0;
    long index;
    jobResult result;
    while (takeRecord(*pending, &at, &index, &result)) {
        const size_t slot = static_cast<size_t>(index - first);
        if (slot < slots->size()) {
            (*slots)[slot] = std::move(result);
            (*filled)[slot] = true;
        }
    }
    pending->erase(0, at);
}

}  // namespace

int defaultWorkers() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : n > kMaxWorkers ? kMaxWorkers : static_cast<int>(n);
}

bool parseWorkers(const char* text, int* workers) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || value < 1 || value > kMaxWorkers) return false;
    *workers = static_cast<int>(value);
    return true;
}

namespace {

// Starts jobs first .. end - 1 over `workers` processes (at most one per
// job; one means here, later, without a process). False, with a message on
// stderr, when a worker cannot be started.
bool startJobs(jobBatch* batch, long first, long end, int workers, const jobFunction& job) {
    batch->first = first;
    batch->end = end;
    batch->workers.clear();
    batch->shared = nullptr;
    if (workers > end - first) workers = static_cast<int>(end - first);
    if (workers <= 1) return true;

    void* shared = mmap(nullptr, sizeof(sharedCounter), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        std::fprintf(stderr, "velunda-cli: cannot start the workers: %s\n", std::strerror(errno));
        return false;
    }
    batch->shared = shared;
    sharedCounter* next = new (shared) sharedCounter(first);
    // Runs small enough that every worker gets several.
    long run = (end - first) / (workers * 8L);
    run = run < 1 ? 1 : run > kMaxRun ? kMaxRun : run;

    for (int w = 0; w < workers; w++) {
        int fds[2];
        if (pipe(fds) != 0) {
            std::fprintf(stderr, "velunda-cli: cannot start a worker: %s\n", std::strerror(errno));
            finish(batch, true);
            return false;
        }
        // Room for a worker to run ahead while this process takes the results of others.
        fcntl(fds[0], F_SETPIPE_SZ, kPipeSize);
        const pid_t pid = forkWorker(fds, batch->workers, [&](int fd) { workerMain(fd, next, run, end, job); });
        if (pid < 0) {
            finish(batch, true);
            return false;
        }
        jobWorker worker;
        worker.pid = pid;
        worker.fd = fds[0];
        batch->workers.push_back(worker);
    }
    return true;
}

// Hands every result of the batch to `deliver` in order and waits for its
// workers. 1 when all were handed over, 0 when `deliver` stopped the run
// (the workers are stopped), -1 with a message on stderr when a worker ended
// before giving all its results. The batch is empty afterwards.
int finishJobs(jobBatch* batch, const jobFunction& job, const resultFunction& deliver) {
    if (batch->workers.empty()) {
        for (long i = batch->first; i < batch->end; i++)
            if (!deliver(i, job(i))) {
                batch->first = batch->end;
                return 0;
            }
        batch->first = batch->end;
        return 1;
    }

    // Results arrive in runs from any worker; each waits in its slot until
    // all before it have been handed on.
    const long first = batch->first;
    std::vector<jobResult> slots(static_cast<size_t>(batch->end - first));
    std::vector<bool> filled(slots.size());
    std::vector<pollfd> polled;
    long next = first;
    char chunk[65536];
    while (next < batch->end) {
        polled.clear();
        for (const jobWorker& worker : batch->workers)
            if (worker.fd >= 0) polled.push_back({worker.fd, POLLIN, 0});
        if (polled.empty()) {
            std::fprintf(stderr, "velunda-cli: a worker process ended before its work was done\n");
            finish(batch, true);
            return -1;
        }
        if (poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) {
            std::fprintf(stderr, "velunda-cli: cannot hear from the workers: %s\n", std::strerror(errno));
            finish(batch, true);
            return -1;
        }
        for (jobWorker& worker : batch->workers) {
            if (worker.fd < 0) continue;
            bool ready = false;
            for (const pollfd& p : polled)
                if (p.fd == worker.fd) ready = p.revents != 0;
            if (!ready) continue;
            const ssize_t n = read(worker.fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {  // the worker is done, or gone
                close(worker.fd);
                worker.fd = -1;
                continue;
            }
            worker.pending.append(chunk, static_cast<size_t>(n));
            takeRecords(&worker.pending, first, &slots, &filled);
        }
        for (; next < batch->end && filled[static_cast<size_t>(next - first)]; next++) {
            jobResult& result = slots[static_cast<size_t>(next - first)];
            if (!deliver(next, result)) {
                finish(batch, true);
                return 0;
            }
            result = jobResult();  // handed on: its text is no longer needed
        }
    }
    if (!finish(batch, false)) {
        std::fprintf(stderr, "velunda-cli: a worker process failed\n");
        return -1;
    }
    return 1;
}

}  // namespace

bool runJobs(long count, int workers, const jobFunction& job, const resultFunction& deliver) {
    jobBatch batch;
    if (!startJobs(&batch, 0, count, workers, job)) return false;
    return finishJobs(&batch, job, deliver) >= 0;
}

// ------------------------------------------------------------------ streams

namespace {

const long kBatchJobs = 64;        // inputs given to a worker at a time
const size_t kBatchBytes = 16384;  // or fewer, when they are long
// Inputs a worker may have unanswered: enough that it never waits for this
// process, few enough that the last of them, once the others are done,
// hold up the end only briefly.
const long kMaxWaiting = 512;
// Results kept waiting for an earlier one (in their places), at most.
const long kMaxWindow = kMaxWorkers * kMaxWaiting;
const size_t kInputHeader = 12;    // index (8 bytes) and length (4)

void fail(jobStream* stream, const char* what) {
    if (stream->state != 1) return;
    std::fprintf(stderr, "velunda-cli: %s\n", what);
    stream->state = -1;
}

// A stream worker's life: reads inputs until this process closes its end,
// answering every few, so that this process hears of progress steadily.
void streamWorkerMain(int fd, const inputJob& job) {
    std::string in, out;
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) _exit(n == 0 && in.empty() ? 0 : 1);
        in.append(chunk, static_cast<size_t>(n));
        size_t at = 0;
        long answered = 0;
        while (in.size() - at >= kInputHeader) {
            const uint32_t size = get<uint32_t>(in, at + 8);
            if (in.size() - at - kInputHeader < size) break;
            putRecord(&out, static_cast<long>(get<int64_t>(in, at)), job(in.substr(at + kInputHeader, size)));
            at += kInputHeader + size;
            if (++answered % kBatchJobs == 0) {
                if (!writeAll(fd, out.data(), out.size())) _exit(1);
                out.clear();
            }
        }
        in.erase(0, at);
        if (!writeAll(fd, out.data(), out.size())) _exit(1);
        out.clear();
    }
}

bool startStreamWorker(jobStream* stream) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        std::fprintf(stderr, "velunda-cli: cannot start a worker: %s\n", std::strerror(errno));
        return false;
    }
    const pid_t pid = forkWorker(fds, stream->workers, [&](int fd) { streamWorkerMain(fd, stream->job); });
    if (pid < 0) return false;
    streamWorker worker;
    worker.pid = pid;
    worker.fd = fds[0];
    stream->workers.push_back(worker);
    return true;
}

// Hands on the results that are next in order.
void handOn(jobStream* stream) {
    while (stream->state == 1 && !stream->slots.empty() && stream->slots.front().filled) {
        if (!stream->deliver(stream->delivered, stream->slots.front().result)) stream->state = 0;
        stream->slots.pop_front();
        stream->delivered++;
    }
}

// Gives the socket what it takes of the worker's inputs, without waiting.
void sendSome(jobStream* stream, streamWorker* worker) {
    if (worker->toSend.empty()) return;
    const ssize_t n = send(worker->fd, worker->toSend.data(), worker->toSend.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) worker->toSend.erase(0, static_cast<size_t>(n));
    else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        fail(stream, "a worker process ended before its work was done");
}

// Moves the worker's complete results into their slots.
void takeResults(jobStream* stream, streamWorker* worker) {
    size_t at = 0;
    long index;
    jobResult result;
    while (takeRecord(worker->received, &at, &index, &result)) {
        const long slot = index - stream->delivered;
        if (slot < 0 || slot >= static_cast<long>(stream->slots.size()) ||
            stream->slots[static_cast<size_t>(slot)].filled) {
            fail(stream, "a worker process failed");
            return;
        }
        streamSlot& place = stream->slots[static_cast<size_t>(slot)];
        place.filled = true;
        place.result = std::move(result);
        worker->waiting--;
    }
    worker->received.erase(0, at);
}

// Takes the results that have come, and sends what the sockets take;
// `wait`: first waits until a worker answers or takes input.
void pump(jobStream* stream, bool wait) {
    std::vector<pollfd> polled;
    for (const streamWorker& worker : stream->workers)
        polled.push_back({worker.fd, static_cast<short>(POLLIN | (worker.toSend.empty() ? 0 : POLLOUT)), 0});
    if (polled.empty()) {
        if (wait) fail(stream, "a worker process ended before its work was done");  // nobody to wait for
        return;
    }
    if (poll(polled.data(), polled.size(), wait ? -1 : 0) < 0 && errno != EINTR) {
        fail(stream, "cannot hear from the workers");
        return;
    }
    char chunk[65536];
    for (size_t w = 0; w < polled.size() && stream->state == 1; w++) {
        streamWorker& worker = stream->workers[w];
        if (polled[w].revents & POLLOUT) sendSome(stream, &worker);
        if (!(polled[w].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t n = read(worker.fd, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {  // gone before this process closed its end
            fail(stream, "a worker process ended before its work was done");
            return;
        }
        worker.received.append(chunk, static_cast<size_t>(n));
        takeResults(stream, &worker);
    }
    handOn(stream);
}

// Gives the batch of inputs to the worker with the least to do, starting
// another while all are busy and -j allows.
void dispatch(jobStream* stream) {
    while (stream->state == 1) {
        streamWorker* chosen = nullptr;
        for (streamWorker& worker : stream->workers)
            if (chosen == nullptr || worker.waiting < chosen->waiting) chosen = &worker;
        if ((chosen == nullptr || chosen->waiting > 0) &&
            static_cast<int>(stream->workers.size()) < stream->maxWorkers) {
            if (!startStreamWorker(stream)) {
                stream->state = -1;
                return;
            }
            chosen = &stream->workers.back();
        }
        if (chosen->waiting < kMaxWaiting) {
            chosen->toSend += stream->batch;
            chosen->waiting += stream->batchJobs;
            stream->batch.clear();
            stream->batchJobs = 0;
            sendSome(stream, chosen);
            return;
        }
        pump(stream, true);
    }
}

// Keeps the results waiting in their places few: waits for the earliest.
void limitWindow(jobStream* stream) {
    while (stream->state == 1 && stream->next - stream->delivered > kMaxWindow) {
        if (stream->batchJobs > 0) dispatch(stream);
        pump(stream, true);
    }
}

// Ends the workers: they are stopped first unless the run went through.
void endWorkers(jobStream* stream) {
    const bool stop = stream->state != 1;
    for (streamWorker& worker : stream->workers) {
        if (stop) kill(worker.pid, SIGTERM);
        close(worker.fd);  // a worker that has answered all reads its end and ends
    }
    for (streamWorker& worker : stream->workers) {
        int status = 0;
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!stop && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) fail(stream, "a worker process failed");
    }
    stream->workers.clear();
}

}  // namespace

void startStream(jobStream* stream, int workers, const inputJob& job, const resultFunction& deliver) {
    *stream = jobStream();
    stream->maxWorkers = workers < 1 ? 1 : workers > kMaxWorkers ? kMaxWorkers : workers;
    stream->job = job;
    stream->deliver = deliver;
}

bool queueJob(jobStream* stream, const std::string& input) {
    if (stream->state != 1) return false;
    if (stream->maxWorkers == 1) {  // here and now: nothing waits in the slots
        if (!stream->deliver(stream->next++, stream->job(input))) stream->state = 0;
        stream->delivered = stream->next;
        return stream->state == 1;
    }
    put<int64_t>(&stream->batch, stream->next++);
    put<uint32_t>(&stream->batch, static_cast<uint32_t>(input.size()));
    stream->batch += input;
    stream->slots.emplace_back();
    if (++stream->batchJobs >= kBatchJobs || stream->batch.size() >= kBatchBytes) {
        dispatch(stream);
        if (stream->state == 1) pump(stream, false);
    }
    limitWindow(stream);
    return stream->state == 1;
}

bool queueResult(jobStream* stream, const jobResult& result) {
    if (stream->state != 1) return false;
    stream->next++;
    stream->slots.emplace_back();
    stream->slots.back().filled = true;
    stream->slots.back().result = result;
    handOn(stream);
    limitWindow(stream);
    return stream->state == 1;
}

int finishStream(jobStream* stream) {
    if (stream->state == 1 && stream->batchJobs > 0) dispatch(stream);
    while (stream->state == 1 && stream->delivered < stream->next) pump(stream, true);
    endWorkers(stream);
    const int state = stream->state;
    stream->slots.clear();
    return state;
}
