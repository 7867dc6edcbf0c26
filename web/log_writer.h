// The service's log on a descriptor (its standard error) without ever holding the service up: the
// lines go into a bounded queue, and a thread of their own writes them. Whoever reads the log may
// read slowly, stop reading, or go away: a line that finds the queue full is dropped and counted,
// and once the descriptor takes lines again the log says first how many were dropped. A descriptor
// that fails (a pipe whose reader has gone) loses its lines the same way, counted. The writer thread
// takes no signal; it writes with write(2), so a closed pipe gives EPIPE (SIGPIPE must be ignored by
// the process).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

namespace web {

class LogWriter {
public:
    explicit LogWriter(int fd, std::size_t max_lines = 1024, std::size_t max_bytes = 256 * 1024);
    // Gives the queued lines a moment (Flush(500)); a writer still stuck in a write is left behind
    // (the process ends with it), never waited for.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues one line (without its line end); drops it, counted, when the queue is full. Never waits
    // for the descriptor: from any thread.
    void Add(std::string line);
    // Waits at most `ms` for every line queued so far to be written (or lost); true when they were.
    bool Flush(int ms);

    struct State;  // the queue, shared with the writer thread (web/log_writer.cpp)

private:
    std::shared_ptr<State> state_;
    std::thread thread_;
};

// "tempoline-web: N log lines dropped ...", the line that says so in the log.
std::string DroppedLinesText(unsigned long long count);

}  // namespace web
