#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

// Feeds data into a named pipe in two parts, the first 60 % at once and the
// rest after GoOn(), so that whoever reads the pipe is certainly in the
// middle of the file between them.
class PipeFeeder
{
public:
    PipeFeeder(const std::string& fifo, std::string data) : data_(std::move(data))
    {
        thread_ = std::thread([this, fifo] {
            const int fd = ::open(fifo.c_str(), O_WRONLY);
            if (fd < 0)
                return;
            const std::size_t half = data_.size() * 6 / 10;
            Write(fd, 0, half);
            while (!go_on_.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            Write(fd, half, data_.size());
            ::close(fd);
        });
    }
    ~PipeFeeder()
    {
        GoOn();
        thread_.join();
    }
    void GoOn() { go_on_.store(true); }

private:
    void Write(int fd, std::size_t from, std::size_t to)
    {
        while (from < to) {
            const ssize_t n = ::write(fd, data_.data() + from, to - from);
            if (n <= 0)
                return;  // the reader is gone
            from += static_cast<std::size_t>(n);
        }
    }

    std::string data_;
    std::atomic<bool> go_on_{false};
    std::thread thread_;
};
