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
// hold whole digests (3 digests are 96 bytes, 128 characters).
constexpr std::size_t kDigestsPerPiece = 3 * 1024 * 16;

}  // namespace

std::string encodeDigests(std::span<const Digest> digests)
{
    std::string out;
    out.reserve((digests.size() * sizeof(Digest) + 2) / 3 * 4);
    std::string piece;
    for (std::size_t at = 0; at < digests.size(); at += kDigestsPerPiece) {
        const std::size_t n = std::min(kDigestsPerPiece, digests.size() - at);
        const std::size_t bytes = n * sizeof(Digest);
        piece.resize((bytes + 2) / 3 * 4 + 1);
        const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(piece.data()), digests[at].data(),
                                            static_cast<int>(bytes));
        out.append(piece.data(), static_cast<std::size_t>(written));
    }
    return out;
}

std::optional<Digests> decodeDigests(std::string_view text)
{
    if (text.size() % 4 != 0 || text.size() > std::numeric_limits<std::size_t>::max() / 3)
        return std::nullopt;
    const std::size_t padding = text.ends_with("==") ? 2 : text.ends_with("=") ? 1 : 0;
    const std::size_t bytes = text.size() / 4 * 3 - padding;
    if (bytes % sizeof(Digest) != 0)
        return std::nullopt;
    // Decoded straight into place; the decoder writes the padding as zero bytes, which the spare
    // digest at the end takes.
    Digests out(bytes / sizeof(Digest) + 1);
    auto* to = reinterpret_cast<unsigned char*>(out.data());
    constexpr std::size_t kPieceChars = kDigestsPerPiece * sizeof(Digest) / 3 * 4;
    for (std::size_t at = 0; at < text.size(); at += kPieceChars) {
        const std::string_view piece = text.substr(at, kPieceChars);
        // Padding belongs to the end only.
        if (at + piece.size() < text.size() && piece.back() == '=')
            return std::nullopt;
        const int decoded = EVP_DecodeBlock(to, reinterpret_cast<const unsigned char*>(piece.data()),
                                            static_cast<int>(piece.size()));
        if (decoded != static_cast<int>(piece.size() / 4 * 3))
            return std::nullopt;
        to += decoded;
    }
    out.pop_back();
    return out;
}

}  // namespace horavant::journal
