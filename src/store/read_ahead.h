// Reading the next block of a scan on a thread of its own while the caller decodes the block
// before it, so that the kernel's copy from the page cache runs beside the decoding.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace horavant::dbf {

class ReadAhead {
public:
    ReadAhead() = default;
    // Waits for a read under way.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Whether a second processor is there to read on: with one, reading ahead only adds work.
    static bool worthwhile();

    // Starts reading `size` bytes at `offset` of `fd` into `data`; both must stay as they are until
    // finish() returns. One read at a time: a read under way is finished first. False when no
    // thread could be started for it (nothing is read then).
    bool start(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset);
    // Waits for the read started last: the bytes it got, or -1 when it failed. 0 when none was
    // started since the last call.
    long long finish();

private:
    struct Job {
        int fd = -1;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        std::uint64_t offset = 0;
    };
    void run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Job> m_job;  // started, not yet taken by the thread
    bool m_busy = false;  // a read started and not yet done
    long long m_got = 0;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace horavant::dbf
