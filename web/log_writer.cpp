// Compiled with a UTF-8 execution character set: <condition_variable> brings <chrono>, whose
// literals have no GBK form. The texts here are ASCII.
#include "web/log_writer.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace web {

struct LogWriter::State {
    explicit State(int fd, std::size_t max_lines, std::size_t max_bytes)
        : fd(fd), max_lines(max_lines), max_bytes(max_bytes) {}

    const int fd;
    const std::size_t max_lines, max_bytes;
    std::mutex mutex;
    std::condition_variable wake;     // a line came, or the end
    std::condition_variable written;  // the writer has caught up
    std::deque<std::string> queue;
    std::size_t queued_bytes = 0;
    unsigned long long dropped = 0;  // lines dropped or lost since the log last said so
    bool writing = false;            // the writer holds lines it has taken from the queue
    bool ending = false;
    bool ended = false;              // the writer thread has returned
};

namespace {

// Writes all of `text`; the bytes written when the descriptor fails first. A descriptor left
// non-blocking by whoever started the process is waited on, never spun on.
std::size_t WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, -1) < 0 && errno != EINTR) break;
            if (p.revents & (POLLERR | POLLNVAL)) break;
        } else {
            break;  // EPIPE, EIO, ENOSPC, a closed descriptor: these lines are lost
        }
    }
    return done;
}

void Run(const std::shared_ptr<LogWriter::State>& state) {
    std::unique_lock<std::mutex> lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return !state->queue.empty() || state->ending; });
        if (state->queue.empty()) break;  // ending, and nothing left
        std::deque<std::string> lines;
        lines.swap(state->queue);
        state->queued_bytes = 0;
        const unsigned long long dropped = state->dropped;
        state->dropped = 0;
        state->writing = true;
        lock.unlock();

        // One write for all: the report of what was dropped first, then the lines in their order.
        std::string text;
        std::vector<std::size_t> ends;  // where each line ends in `text`
        if (dropped > 0) {
            text += DroppedLinesText(dropped) + "\n";
            ends.push_back(text.size());
        }
        for (const std::string& line : lines) {
            text += line;
            text += '\n';
            ends.push_back(text.size());
        }
        const std::size_t done = WriteAll(state->fd, text);

        lock.lock();
        state->writing = false;
        if (done < text.size()) {
            // What did not go out whole is lost: counted, to be told when the log takes lines again.
            for (std::size_t i = 0; i < ends.size(); ++i)
                if (ends[i] > done) state->dropped += (i == 0 && dropped > 0) ? dropped : 1;
        }
        if (state->queue.empty()) state->written.notify_all();
    }
    state->ended = true;
    state->written.notify_all();
}

}  // namespace

std::string DroppedLinesText(unsigned long long count) {
    return "tempoline-web: " + std::to_string(count) + " log line" + (count == 1 ? "" : "s") +
           " dropped: the log could not take them in time";
}

LogWriter::LogWriter(int fd, std::size_t max_lines, std::size_t max_bytes)
    : state_(std::make_shared<State>(fd, max_lines, max_bytes)) {
    // The writer takes no signal: it is started with all of them blocked, and keeps that mask.
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    thread_ = std::thread(Run, state_);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

LogWriter::~LogWriter() {
    Flush(500);
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->ending = true;
    }
    state_->wake.notify_all();
    std::unique_lock<std::mutex> lock(state_->mutex);
    const bool ended = state_->written.wait_for(lock, std::chrono::milliseconds(100), [&] { return state_->ended; });
    lock.unlock();
    // A writer stuck in a write to a pipe nobody reads holds its own share of the state.
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

void LogWriter::Add(std::string line) {
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->queue.size() >= state_->max_lines || state_->queued_bytes + line.size() > state_->max_bytes) {
            ++state_->dropped;
            return;
        }
        state_->queued_bytes += line.size();
        state_->queue.push_back(std::move(line));
    }
    state_->wake.notify_one();
}

bool LogWriter::Flush(int ms) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    return state_->written.wait_for(lock, std::chrono::milliseconds(ms),
                                    [&] { return state_->ended || (state_->queue.empty() && !state_->writing); });
}

}  // namespace web
