// The distinct texts of a field of the work-time table: the suggestion lists and the evaluations'
// subjects both gather them.
#include "store/distinct_texts.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"

#include <cstdint>
#include <cstring>

namespace horavant {

namespace {

// A quick hash of a field's stored bytes, eight at a time.
std::uint64_t hashBytes(std::string_view bytes)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size() && bytes.size() >= 8) {
        // The last eight bytes, overlapping the words already taken.
        std::memcpy(&tail, bytes.data() + bytes.size() - 8, sizeof tail);
    } else {
        for (; i < bytes.size(); ++i)
            tail = tail << 8 | static_cast<std::uint8_t>(bytes[i]);
    }
    // Every input bit reaches the low bits, which pick the slot.
    h = (h ^ tail) * 0x94D049BB133111EBull;
    h ^= h >> 32;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
}

}  // namespace

std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position)
{
    // Texts are told apart by their stored bytes (decoding is one to one), so only the first row
    // of each text is decoded. An open-addressed index over the texts found so far, instead of a
    // search through the list: the same list in the same order, without the time growing with
    // the number of distinct texts.
    constexpr std::uint32_t kFree = 0xFFFFFFFF;
    std::vector<std::string> bytesFound;
    std::vector<std::uint64_t> hashes;  // of bytesFound, one to one
    std::vector<std::uint32_t> slots(64, kFree);
    std::vector<std::u16string> found;
    std::uint32_t last = kFree;
    for (table.First(); !table.Eof(); table.Next()) {
        const std::string_view bytes = table.fieldBytes(position);
        // Neighbouring rows often repeat a text; that costs one comparison instead of a hash.
        if (last != kFree && sameBytes(bytes, bytesFound[last]))
            continue;
        const std::uint64_t h = hashBytes(bytes);
        const std::size_t mask = slots.size() - 1;
        std::size_t i = h & mask;
        while (slots[i] != kFree && (hashes[slots[i]] != h || !sameBytes(bytesFound[slots[i]], bytes)))
            i = (i + 1) & mask;
        if (slots[i] != kFree) {
            last = slots[i];
            continue;
        }
        last = static_cast<std::uint32_t>(bytesFound.size());
        slots[i] = last;
        bytesFound.emplace_back(bytes);
        hashes.push_back(h);
        found.push_back(cp1252::decode(bytes));
        if (bytesFound.size() * 2 > slots.size()) {
            // Keep the index at most half full.
            slots.assign(slots.size() * 2, kFree);
            for (std::uint32_t t = 0; t < hashes.size(); ++t) {
                std::size_t j = hashes[t] & (slots.size() - 1);
                while (slots[j] != kFree)
                    j = (j + 1) & (slots.size() - 1);
                slots[j] = t;
            }
        }
    }
    return found;
}

}  // namespace horavant
