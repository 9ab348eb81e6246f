#include "platform/workers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const int kMaxWorkers = 256;
const long kMaxRun = 64;        // jobs a worker takes at a time, at most
const int kPipeSize = 1 << 20;  // the most Linux gives without privileges
const size_t kHeader = 20;      // index (8 bytes), status, out and err lengths (4 each)

typedef std::atomic<long> sharedCounter;

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
    while (pending->size() - at >= kHeader) {
        const uint32_t outSize = get<uint32_t>(*pending, at + 12), errSize = get<uint32_t>(*pending, at + 16);
        if (pending->size() - at - kHeader < static_cast<size_t>(outSize) + errSize) break;
        const size_t slot = static_cast<size_t>(get<int64_t>(*pending, at) - first);
        if (slot < slots->size()) {
            jobResult& result = (*slots)[slot];
            result.status = static_cast<int>(get<uint32_t>(*pending, at + 8));
            result.out.assign(*pending, at + kHeader, outSize);
            result.err.assign(*pending, at + kHeader + outSize, errSize);
            (*filled)[slot] = true;
        }
        at += kHeader + outSize + errSize;
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

    // Nothing buffered may be written twice, by this process and a worker.
    std::fflush(stdout);
    std::fflush(stderr);
    for (int w = 0; w < workers; w++) {
        int fds[2];
        if (pipe(fds) != 0) {
            std::fprintf(stderr, "velunda-cli: cannot start a worker: %s\n", std::strerror(errno));
            finish(batch, true);
            return false;
        }
        // Room for a worker to run ahead while this process reads more input.
        fcntl(fds[0], F_SETPIPE_SZ, kPipeSize);
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            // A parent gone (killed by SIGPIPE under `| head`, say) ends the
            // worker too, rather than leaving it computing unseen.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
            close(fds[0]);
            for (const jobWorker& other : batch->workers) close(other.fd);
            workerMain(fds[1], next, run, end, job);
        }
        close(fds[1]);
        if (pid < 0) {
            std::fprintf(stderr, "velunda-cli: cannot start a worker: %s\n", std::strerror(errno));
            close(fds[0]);
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

bool runJobs(long count, int workers, const jobFunction& job, const resultFunction& deliver) {
    jobBatch batch;
    if (!startJobs(&batch, 0, count, workers, job)) return false;
    return finishJobs(&batch, job, deliver) >= 0;
}
