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

    // One digest over text that comes in pieces.
    void start();
    void add(const void* data, std::size_t size);
    void add(std::string_view text) { add(text.data(), text.size()); }
    Digest finish();

private:
    struct Context;
    Context* m_context;
};

std::string toHex(const Digest& digest);
std::optional<Digest> fromHex(std::string_view text);

// The digests one after the other, base64-encoded, handed over in runs of any length: the text
// is the same as of all of them at once.
class DigestEncoder {
public:
    // Appends the text of the digests that is complete so far.
    void add(std::span<const Digest> digests, std::string& out);
    // Appends the rest, with its padding.
    void finish(std::string& out);

private:
    std::array<Digest, 3> m_carry {};
    std::size_t m_carried = 0;
};

// Checks base64 text that comes in pieces of any length for a whole number of digests, by the
// same rules as decoding it in one go would; decodes nothing.
class DigestTextCheck {
public:
    void add(std::string_view text);
    // The number of digests the whole text holds, or nothing when it is no run of digests.
    std::optional<std::uint64_t> digests() const;

private:
    std::uint64_t m_length = 0;
    bool m_bad = false;
    bool m_paddingBefore = false;  // a piece but the last ended in '='
    char m_last[2] = {0, 0};  // the last two characters
};

// Decodes `count` digests from base64 text checked by DigestTextCheck, starting with the digest
// `first`: `text` begins at the first character of the group that holds its first byte.
// Returns the characters it used.
std::size_t decodeDigests(std::string_view text, std::uint64_t first, std::span<Digest> out);
// Where the digest `index` starts: the offset in the text of the group that holds its first byte.
inline std::uint64_t digestTextOffset(std::uint64_t index)
{
    return index * sizeof(Digest) / 3 * 4;
}
// How many characters the digests [first, first + count) need, from digestTextOffset(first).
inline std::uint64_t digestTextLength(std::uint64_t first, std::uint64_t count)
{
    const std::uint64_t end = (first + count) * sizeof(Digest);
    return ((end + 2) / 3 - first * sizeof(Digest) / 3) * 4;
}

}  // namespace horavant::journal
