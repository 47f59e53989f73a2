// Mapped file windows and the SIGBUS handler that keeps a shrinking file from ending the program.
#include "store/mapped_window.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace horavant {
namespace {

// A signal handler can reach nothing but process-wide state, so the windows it guards are listed
// here: a fixed table of address ranges, read with plain atomic loads, which is all a handler may
// do safely. A window that finds no free entry is not mapped (the table then reads its file).
struct Guarded {
    std::atomic<bool> used {false};
    std::atomic<std::uintptr_t> begin {0};
    std::atomic<std::uintptr_t> end {0};
    std::atomic<bool> damaged {false};
};
constexpr int kGuardedWindows = 64;
Guarded g_windows[kGuardedWindows];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};
bool g_installed = false;
std::once_flag g_installOnce;

void onBusError(int signal, siginfo_t* info, void* context)
{
    // Only a fault carries the address it happened at; a SIGBUS sent by kill() does not.
    const bool fault = info->si_code == BUS_ADRERR || info->si_code == BUS_OBJERR;
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded& w : g_windows) {
        if (!fault)
            break;
        if (at < w.begin.load(std::memory_order_acquire) || at >= w.end.load(std::memory_order_acquire))
            continue;
        // The page lost its file. Zeros take its place, and the faulting access is repeated when
        // the handler returns. mmap is a plain system call on Linux, safe here in practice.
        void* page = reinterpret_cast<void*>(at & ~(g_pageSize - 1));
        const int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED;
        if (::mmap(page, g_pageSize, PROT_READ, flags, -1, 0) != MAP_FAILED) {
            w.damaged.store(true, std::memory_order_relaxed);
            return;
        }
        break;
    }
    // Not ours: as if this handler were not there.
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(signal, info, context);
    } else if (g_previous.sa_handler == SIG_IGN && !fault) {
        return;
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
    } else {
        // The default action ends the process: the signal is raised again with it in place and
        // arrives as this handler returns (a fault would also simply happen again).
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(signal, &fallback, nullptr);
        ::raise(signal);
    }
}

bool handlerInPlace()
{
    std::call_once(g_installOnce, [] {
        g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        g_installed = ::sigaction(SIGBUS, &action, &g_previous) == 0;
    });
    if (!g_installed)
        return false;
    // Someone may have put another handler in ours' place since; then no window is safe.
    struct sigaction current {};
    return ::sigaction(SIGBUS, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) != 0
           && current.sa_sigaction == onBusError;
}

int claimSlot(std::uintptr_t begin, std::uintptr_t end)
{
    for (int i = 0; i < kGuardedWindows; ++i) {
        bool expected = false;
        if (g_windows[i].used.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) {
            g_windows[i].damaged.store(false, std::memory_order_relaxed);
            g_windows[i].begin.store(begin, std::memory_order_release);
            g_windows[i].end.store(end, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int slot)
{
    g_windows[slot].end.store(0, std::memory_order_release);
    g_windows[slot].begin.store(0, std::memory_order_release);
    g_windows[slot].used.store(false, std::memory_order_release);
}

}  // namespace

bool MappedWindow::map(int fd, std::uint64_t offset, std::size_t size, std::size_t slack)
{
    unmap();
    if (!handlerInPlace())
        return false;
    const std::uint64_t start = offset / g_pageSize * g_pageSize;
    const std::size_t fileBytes = static_cast<std::size_t>(offset - start) + size;
    const std::size_t length = (fileBytes + slack + g_pageSize - 1) / g_pageSize * g_pageSize;
    // The whole range is reserved as zeros first and the file laid over its front, so the bytes
    // after the file's part read as zeros instead of faulting.
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return false;
    const auto begin = reinterpret_cast<std::uintptr_t>(base);
    const int slot = claimSlot(begin, begin + length);
    const off_t at = static_cast<off_t>(start);
    if (slot < 0 || ::mmap(base, fileBytes, PROT_READ, MAP_SHARED | MAP_FIXED, fd, at) == MAP_FAILED) {
        if (slot >= 0)
            releaseSlot(slot);
        ::munmap(base, length);
        return false;
    }
    ::madvise(base, fileBytes, MADV_SEQUENTIAL);
    m_base = static_cast<std::uint8_t*>(base);
    m_length = length;
    m_data = m_base + (offset - start);
    m_slot = slot;
    return true;
}

void MappedWindow::unmap()
{
    if (!m_base)
        return;
    // The entry goes first: once the range is unmapped, another thread's mapping may take its
    // addresses, and the handler must not take that one's faults for ours. Only this thread
    // touches the window, and it is here, not reading.
    releaseSlot(m_slot);
    ::munmap(m_base, m_length);
    m_base = nullptr;
    m_length = 0;
    m_data = nullptr;
    m_slot = -1;
}

bool MappedWindow::damaged() const
{
    return m_slot >= 0 && g_windows[m_slot].damaged.load(std::memory_order_relaxed);
}

}  // namespace horavant
