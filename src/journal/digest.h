// SHA-256 through OpenSSL's libcrypto, and the two text forms the journal writes digests in:
// lower-case hex for one digest, base64 for a run of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <memory>

namespace horavant::journal {

using Digest = std::array<std::uint8_t, 32>;
constexpr std::size_t kHexDigestLength = 64;

// Digests are written over as soon as they are made: a table's worth (32 MB for a million
// records) is not filled with zeros first.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using Digests = std::vector<Digest, UninitializedAllocator<Digest>>;

// A reusable hasher: one per thread, since it keeps OpenSSL's context between digests.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    Digest operator()(std::span<const std::uint8_t> bytes);
    Digest operator()(std::string_view first, std::string_view second = {});

private:
    void start();
    void add(const void* data, std::size_t size);
    Digest finish();

    struct Context;
    Context* m_context;
};

std::string toHex(const Digest& digest);
std::optional<Digest> fromHex(std::string_view text);

// The digests one after the other, base64-encoded; decoding refuses anything that is not a
// whole number of digests.
std::string encodeDigests(std::span<const Digest> digests);
std::optional<Digests> decodeDigests(std::string_view text);

}  // namespace horavant::journal
