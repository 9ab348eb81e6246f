#include "workers.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int kMaxWorkers = 256;
// A worker sends its results in blocks of about this size.
const size_t kSendBlock = 1 << 16;
const int kPipeSize = 1 << 20;  // the most Linux gives without privileges

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

void putNumber(std::string* buffer, uint32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    buffer->append(bytes, 4);
}

// A record: status, length of out, length of err, then both texts.
void putRecord(std::string* buffer, const jobResult& result) {
    putNumber(buffer, static_cast<uint32_t>(result.status));
    putNumber(buffer, static_cast<uint32_t>(result.out.size()));
    putNumber(buffer, static_cast<uint32_t>(result.err.size()));
    buffer->append(result.out);
    buffer->append(result.err);
}

// The worker's life: its share of the jobs, then _exit, so that nothing of
// the parent (stdio buffers, destructors) runs twice.
void workerMain(int fd, long first, long step, long count, const jobFunction& job) {
    std::string buffer;
    for (long i = first; i < count; i += step) {
        putRecord(&buffer, job(i));
        if (buffer.size() >= kSendBlock) {
            if (!writeAll(fd, buffer.data(), buffer.size())) _exit(1);
            buffer.clear();
        }
    }
    if (!writeAll(fd, buffer.data(), buffer.size())) _exit(1);
    _exit(0);
}

// Makes sure `size` unread bytes are pending; false at the end of the pipe.
bool fill(jobWorker* end, size_t size) {
    if (end->taken > kSendBlock) {
        end->pending.erase(0, end->taken);
        end->taken = 0;
    }
    char chunk[65536];
    while (end->pending.size() - end->taken < size) {
        const ssize_t n = read(end->fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        end->pending.append(chunk, static_cast<size_t>(n));
    }
    return true;
}

uint32_t takeNumber(jobWorker* end) {
    uint32_t value;
    std::memcpy(&value, end->pending.data() + end->taken, 4);
    end->taken += 4;
    return value;
}

bool takeRecord(jobWorker* end, jobResult* result) {
    if (!fill(end, 12)) return false;
    result->status = static_cast<int>(takeNumber(end));
    const uint32_t outSize = takeNumber(end), errSize = takeNumber(end);
    if (!fill(end, static_cast<size_t>(outSize) + errSize)) return false;
    result->out.assign(end->pending, end->taken, outSize);
    end->taken += outSize;
    result->err.assign(end->pending, end->taken, errSize);
    end->taken += errSize;
    return true;
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
    batch->first = batch->end;
    return good;
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
    if (workers > end - first) workers = static_cast<int>(end - first);
    if (workers <= 1) return true;

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
            workerMain(fds[1], first + w, workers, end, job);
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
    const long workers = static_cast<long>(batch->workers.size());
    jobResult result;
    for (long i = batch->first; i < batch->end; i++) {
        if (!takeRecord(&batch->workers[static_cast<size_t>((i - batch->first) % workers)], &result)) {
            std::fprintf(stderr, "velunda-cli: a worker process ended before its work was done\n");
            finish(batch, true);
            return -1;
        }
        if (!deliver(i, result)) {
            finish(batch, true);
            return 0;
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
