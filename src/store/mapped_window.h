// Read-only windows of a file mapped into memory, safe against the file shrinking under them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace horavant {

// A part of a file mapped read-only, followed by readable zero bytes.
//
// Another process may cut the file short at any moment, between any size check and any access.
// A page of the mapping with no file behind it any more raises SIGBUS when touched, and no check
// made beforehand can rule that out. So the window is registered with a process-wide SIGBUS
// handler: a fault inside a registered window gets a page of zeros mapped over the faulting page,
// the window is marked damaged, and the access is repeated and reads zeros. A fault anywhere else
// goes on to whatever handled SIGBUS before. Readers of a window therefore never crash; they must
// ask damaged() before they trust what they read, and report the file as unreadable if so.
//
// The caller checks the file's size before mapping and never maps beyond it; the handler is for
// the shrinking that happens after that check.
class MappedWindow {
public:
    MappedWindow() = default;
    ~MappedWindow() { unmap(); }
    MappedWindow(const MappedWindow&) = delete;
    MappedWindow& operator=(const MappedWindow&) = delete;

    // Maps `size` bytes of the file from `offset` (any offset), followed by at least `slack`
    // readable bytes. False when the system cannot map the file; the window is then empty.
    bool map(int fd, std::uint64_t offset, std::size_t size, std::size_t slack);
    void unmap();
    bool mapped() const { return m_base != nullptr; }

    // The byte at the mapped offset, and the end of the readable bytes (slack included).
    const std::uint8_t* data() const { return m_data; }
    const std::uint8_t* end() const { return m_base + m_length; }
    // True once a page of the window has lost its file: its bytes read as zeros since.
    bool damaged() const;

private:
    std::uint8_t* m_base = nullptr;
    std::size_t m_length = 0;
    const std::uint8_t* m_data = nullptr;
    int m_slot = -1;
};

}  // namespace horavant
