// SHA-256 and the digests' text forms.
#include "journal/digest.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace horavant::journal {

struct Sha256::Context {
    EVP_MD* md = nullptr;
    EVP_MD_CTX* ctx = nullptr;
};

Sha256::Sha256() : m_context(new Context)
{
    // Fetched once: looking the algorithm up for every digest would cost more than the digest.
    m_context->md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    m_context->ctx = EVP_MD_CTX_new();
    if (!m_context->md || !m_context->ctx) {
        EVP_MD_free(m_context->md);
        EVP_MD_CTX_free(m_context->ctx);
        delete m_context;
        throw std::bad_alloc();
    }
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(m_context->ctx);
    EVP_MD_free(m_context->md);
    delete m_context;
}

void Sha256::start()
{
    if (EVP_DigestInit_ex2(m_context->ctx, m_context->md, nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available.");
}

void Sha256::add(const void* data, std::size_t size)
{
    if (size > 0 && EVP_DigestUpdate(m_context->ctx, data, size) != 1)
        throw std::runtime_error("SHA-256 is not available.");
}

Digest Sha256::finish()
{
    Digest out {};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_context->ctx, out.data(), &length) != 1 || length != out.size())
        throw std::runtime_error("SHA-256 is not available.");
    return out;
}

Digest Sha256::operator()(std::span<const std::uint8_t> bytes)
{
    start();
    add(bytes.data(), bytes.size());
    return finish();
}

Digest Sha256::operator()(std::string_view first, std::string_view second)
{
    start();
    add(first.data(), first.size());
    add(second.data(), second.size());
    return finish();
}

std::string toHex(const Digest& digest)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(kHexDigestLength, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        out[2 * i] = kDigits[digest[i] >> 4];
        out[2 * i + 1] = kDigits[digest[i] & 15];
    }
    return out;
}

std::optional<Digest> fromHex(std::string_view text)
{
    if (text.size() != kHexDigestLength)
        return std::nullopt;
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    Digest out {};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = nibble(text[2 * i]);
        const int low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return out;
}

namespace {

// OpenSSL's block coder takes an int length; long runs go in pieces of whole base64 quanta that
// hold whole digests (3 digests are 96 bytes, 128 characters). A text is checked in the pieces
// it was always decoded in, from its start.
constexpr std::size_t kDigestsPerPiece = 3 * 1024 * 16;
constexpr std::uint64_t kPieceChars = kDigestsPerPiece * sizeof(Digest) / 3 * 4;

void encode(const std::uint8_t* bytes, std::size_t size, std::string& out)
{
    std::string piece;
    for (std::size_t at = 0; at < size; at += kDigestsPerPiece * sizeof(Digest)) {
        const std::size_t n = std::min(kDigestsPerPiece * sizeof(Digest), size - at);
        piece.resize((n + 2) / 3 * 4 + 1);
        const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(piece.data()), bytes + at,
                                            static_cast<int>(n));
        out.append(piece.data(), static_cast<std::size_t>(written));
    }
}

// The characters OpenSSL's block decoder takes inside a text, asked of the decoder itself.
const std::array<bool, 256> kBase64 = [] {
    std::array<bool, 256> valid {};
    for (int c = 0; c < 256; ++c) {
        unsigned char group[] = {'A', 'A', 'A', 'A', 'A', static_cast<unsigned char>(c), 'A', 'A'};
        unsigned char out[8];
        valid[static_cast<std::size_t>(c)] = EVP_DecodeBlock(out, group, sizeof group) == 6;
    }
    return valid;
}();

// Base64's own alphabet with '=', tested in a form the compiler turns into vector instructions.
bool notPlainBase64(unsigned c)
{
    return (((c | 0x20u) - 'a') & 0xFFu) >= 26u && ((c - '0') & 0xFFu) >= 10u && c != '+' && c != '/' && c != '=';
}

// Whether the decoder takes just that alphabet, as it is known to: then a text is checked a
// vector at a time.
const bool kPlainAlphabet = [] {
    for (unsigned c = 0; c < 256; ++c) {
        if (kBase64[c] == notPlainBase64(c))
            return false;
    }
    return true;
}();

bool allBase64(std::string_view text)
{
    if (!kPlainAlphabet)
        return std::ranges::all_of(text, [](char c) { return kBase64[static_cast<unsigned char>(c)]; });
    // Sixteen characters at a time, the rest one by one.
    using Bytes = unsigned char __attribute__((vector_size(16)));
    Bytes bad {};
    std::size_t at = 0;
    for (; at + sizeof(Bytes) <= text.size(); at += sizeof(Bytes)) {
        Bytes c;
        std::memcpy(&c, text.data() + at, sizeof c);
        const Bytes letter = (c | 0x20) - 'a';
        const Bytes digit = c - '0';
        bad |= (letter >= 26) & (digit >= 10) & (c != '+') & (c != '/') & (c != '=');
    }
    for (std::size_t i = 0; i < sizeof(Bytes); ++i)
        if (bad[i] != 0)
            return false;
    return std::none_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(),
                        [](char c) { return notPlainBase64(static_cast<unsigned char>(c)); });
}

}  // namespace

void DigestEncoder::add(std::span<const Digest> digests, std::string& out)
{
    std::size_t at = 0;
    if (m_carried > 0) {
        while (m_carried < 3 && at < digests.size())
            m_carry[m_carried++] = digests[at++];
        if (m_carried < 3)
            return;
        encode(m_carry[0].data(), sizeof m_carry, out);
        m_carried = 0;
    }
    const std::size_t whole = (digests.size() - at) / 3 * 3;
    if (whole > 0)
        encode(digests[at].data(), whole * sizeof(Digest), out);
    for (at += whole; at < digests.size(); ++at)
        m_carry[m_carried++] = digests[at];
}

void DigestEncoder::finish(std::string& out)
{
    encode(m_carry[0].data(), m_carried * sizeof(Digest), out);
    m_carried = 0;
}

void DigestTextCheck::add(std::string_view text)
{
    if (m_bad || text.empty())
        return;
    // Padding belongs to the end only: a piece followed by more text must not end in it.
    if (m_paddingBefore) {
        m_bad = true;
        return;
    }
    bool valid = allBase64(text);
    for (std::uint64_t end = (m_length / kPieceChars + 1) * kPieceChars; end <= m_length + text.size();
         end += kPieceChars) {
        if (text[end - 1 - m_length] != '=')
            continue;
        if (end == m_length + text.size())
            m_paddingBefore = true;
        else
            valid = false;
    }
    m_bad = !valid;
    m_last[0] = text.size() > 1 ? text[text.size() - 2] : m_last[1];
    m_last[1] = text.back();
    m_length += text.size();
}

std::optional<std::uint64_t> DigestTextCheck::digests() const
{
    if (m_bad || m_length % 4 != 0)
        return std::nullopt;
    const std::uint64_t padding = m_last[1] != '=' ? 0 : m_last[0] == '=' ? 2 : 1;
    if (m_length < padding)
        return std::nullopt;
    const std::uint64_t bytes = m_length / 4 * 3 - padding;
    if (bytes % sizeof(Digest) != 0)
        return std::nullopt;
    return bytes / sizeof(Digest);
}

std::size_t decodeDigests(std::string_view text, std::uint64_t first, std::span<Digest> out)
{
    const auto chars = static_cast<std::size_t>(digestTextLength(first, out.size()));
    if (out.empty())
        return 0;
    if (text.size() < chars)
        throw std::runtime_error("Digest text too short.");
    // The decoder writes padding as zero bytes: room for a whole last group.
    std::vector<std::uint8_t> bytes(chars / 4 * 3);
    const int decoded = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<int>(chars));
    if (decoded != static_cast<int>(bytes.size()))
        throw std::runtime_error("Digest text not base64.");
    const std::size_t skip = static_cast<std::size_t>(first * sizeof(Digest) % 3);
    std::memcpy(out.data(), bytes.data() + skip, out.size() * sizeof(Digest));
    return chars;
}

}  // namespace horavant::journal
