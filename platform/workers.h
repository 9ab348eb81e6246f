// Worker processes: each started by fork and joined to this process by a
// socket pair that carries framed records both ways. Which worker gets what,
// and what the records mean, is the caller's; nothing here prints; failures
// come back as false with errno set.
#ifndef VELUNDA_PLATFORM_WORKERS_H
#define VELUNDA_PLATFORM_WORKERS_H

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// This process's end of one worker.
struct workerProcess {
    pid_t pid = -1;
    int fd = -1;  // the socket: records out and in
};

// The number of processors online (at least 1).
int processorCount();

// Starts a worker that runs body(its end of the socket) and then ends; it
// never returns into the caller's code, so nothing of this process (stdio
// buffers, destructors) runs twice. The worker closes the sockets of
// `others` first, and ends if this process ends. False (errno set) when it
// could not be started.
bool startWorker(const std::vector<workerProcess>& others, const std::function<void(int fd)>& body,
                 workerProcess* worker);

// Closes the worker's socket and waits for it to end, signalling it first
// when `stop`. True when it ended by itself with status 0.
bool reapWorker(workerProcess* worker, bool stop);

// Records: an index (8 bytes), a length (4) and that many bytes.
void appendFrame(std::string* buffer, long index, const std::string& bytes);
// Reads the record at *at of `buffer`, moving *at past it: false when it has
// not all come yet.
bool takeFrame(const std::string& buffer, size_t* at, long* index, std::string* bytes);

// Sends what the socket takes of *pending now, without waiting, and removes
// it from *pending. False (errno set) when the worker is gone.
bool sendSome(int fd, std::string* pending);
// Appends what has come on the socket. 1 bytes came (or none yet), 0 the
// other end closed, -1 an error (errno set).
int receiveSome(int fd, std::string* received);

// One socket to watch: `send` asks to hear when it takes bytes.
struct socketWatch {
    int fd;
    bool send;
    bool canSend = false, canReceive = false;  // what poll found
};
// Looks at the sockets, first waiting until one is ready when `wait`.
// False (errno set) when they cannot be watched.
bool watchSockets(std::vector<socketWatch>* sockets, bool wait);

// A worker's side of the socket: reads records until this process closes
// its end, answers each with a record of the same index, and sends the
// answers every `sendEvery` of them (and whenever no complete record is
// left), so that this process hears of progress steadily. Ends the worker:
// status 0 when the socket closed between records, 1 otherwise.
[[noreturn]] void serveRecords(int fd, const std::function<std::string(const std::string& bytes)>& answer,
                               long sendEvery);

#endif
