#include "platform/workers.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const size_t kFrameHeader = 12;  // index (8 bytes) and length (4)

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

}  // namespace

int processorCount() {
    const long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : n > 4096 ? 4096 : static_cast<int>(n);
}

bool startWorker(const std::vector<workerProcess>& others, const std::function<void(int fd)>& body,
                 workerProcess* worker) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
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
        for (const workerProcess& other : others) close(other.fd);
        body(fds[1]);
        _exit(0);
    }
    const int error = errno;
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        errno = error;
        return false;
    }
    worker->pid = pid;
    worker->fd = fds[0];
    return true;
}

bool reapWorker(workerProcess* worker, bool stop) {
    if (stop && worker->pid > 0) kill(worker->pid, SIGTERM);
    if (worker->fd >= 0) close(worker->fd);  // a worker that has answered all reads its end and ends
    worker->fd = -1;
    if (worker->pid <= 0) return false;
    int status = 0;
    while (waitpid(worker->pid, &status, 0) < 0 && errno == EINTR) {
    }
    worker->pid = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void appendFrame(std::string* buffer, long index, const std::string& bytes) {
    put<int64_t>(buffer, index);
    put<uint32_t>(buffer, static_cast<uint32_t>(bytes.size()));
    buffer->append(bytes);
}

bool takeFrame(const std::string& buffer, size_t* at, long* index, std::string* bytes) {
    if (buffer.size() - *at < kFrameHeader) return false;
    const uint32_t size = get<uint32_t>(buffer, *at + 8);
    if (buffer.size() - *at - kFrameHeader < size) return false;
    *index = static_cast<long>(get<int64_t>(buffer, *at));
    bytes->assign(buffer, *at + kFrameHeader, size);
    *at += kFrameHeader + size;
    return true;
}

bool sendSome(int fd, std::string* pending) {
    if (pending->empty()) return true;
    const ssize_t n = send(fd, pending->data(), pending->size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) pending->erase(0, static_cast<size_t>(n));
    return n >= 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

int receiveSome(int fd, std::string* received) {
    char chunk[65536];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0) return errno == EINTR || errno == EAGAIN ? 1 : -1;
    if (n == 0) return 0;
    received->append(chunk, static_cast<size_t>(n));
    return 1;
}

bool watchSockets(std::vector<socketWatch>* sockets, bool wait) {
    std::vector<pollfd> polled;
    for (const socketWatch& s : *sockets) polled.push_back({s.fd, static_cast<short>(POLLIN | (s.send ? POLLOUT : 0)), 0});
    if (poll(polled.data(), polled.size(), wait ? -1 : 0) < 0 && errno != EINTR) return false;
    for (size_t i = 0; i < polled.size(); i++) {
        (*sockets)[i].canSend = (polled[i].revents & POLLOUT) != 0;
        (*sockets)[i].canReceive = (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
    return true;
}

void serveRecords(int fd, const std::function<std::string(const std::string& bytes)>& answer, long sendEvery) {
    std::string in, out, bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) _exit(n == 0 && in.empty() ? 0 : 1);
        in.append(chunk, static_cast<size_t>(n));
        size_t at = 0;
        long index, answered = 0;
        while (takeFrame(in, &at, &index, &bytes)) {
            appendFrame(&out, index, answer(bytes));
            if (++answered % sendEvery == 0) {
                if (!writeAll(fd, out.data(), out.size())) _exit(1);
                out.clear();
            }
        }
        in.erase(0, at);
        if (!writeAll(fd, out.data(), out.size())) _exit(1);
        out.clear();
    }
}
