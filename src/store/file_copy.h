// Copying a file's bytes from one open file to another in the kernel, without holding the file
// in memory.
#pragma once

#include <cstdint>
#include <functional>

namespace horavant {

enum class CopyMethod {
    Kernel,  // copy_file_range, falling back to Buffer where the file system cannot
    Buffer,  // read and write through a small buffer
};

// Told the bytes of each step of a copy (up to 16 MiB); false stops the copy.
using CopyStep = std::function<bool(std::uint64_t bytes)>;

// Copies the bytes of `from` from its start up to `limit` or its end, whichever comes first, to
// the start of `to`. Neither descriptor's file position is used. Returns the bytes copied, or -1
// with errno set (ECANCELED when `step` stopped it).
long long copyFileBytes(int from, int to, std::uint64_t limit, CopyMethod method = CopyMethod::Kernel,
                        const CopyStep& step = {});

}  // namespace horavant
