// The records' CSV export: each live record written as one line in one pass over its stored
// bytes, sixteen at a time: padding, quoting, the formula guard and the copy together.
#include "evaluation/csv.h"

#include "evaluation/csv_internal.h"
#include "evaluation/report.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/field_padding.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavant {

using namespace csv;

namespace {

// Records between two calls of the progress callback.
constexpr std::uint32_t kProgressStep = 4096;
// A field's bytes are judged and copied in blocks of this many.
constexpr std::size_t kStep = 16;
// The encoder may write this many bytes past a field's end; they are overwritten by what follows.
constexpr std::size_t kOverrun = kStep;
static_assert(dbf::kReadSlack >= kStep, "a block read at a field's last byte stays within the record's spare bytes");
// The hours column at its longest: times below a day give at most "-47,99", a separator of a
// few bytes, and quotes.
constexpr std::size_t kMaxHoursBytes = 32;

// One bit per byte of sixteen: quote marks the bytes that make a field need quotes; treat those
// that are not copied as they are (beyond ASCII, or '"', which is doubled).
struct Bits {
    std::uint32_t quote;
    std::uint32_t treat;
};

#if defined(__SSE2__)
[[gnu::always_inline]] inline __m128i load16(const std::uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

[[gnu::always_inline]] inline void copy16(char* to, const std::uint8_t* from)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), load16(from));
}

[[gnu::always_inline]] inline Bits specialBits(const std::uint8_t* p)
{
    const __m128i v = load16(p);
    const auto is = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
    const __m128i quoteChar = is(kQuote);
    const __m128i quote = _mm_or_si128(_mm_or_si128(is(kSeparator), quoteChar), _mm_or_si128(is('\r'), is('\n')));
    const auto bits = [](__m128i m) { return static_cast<std::uint32_t>(_mm_movemask_epi8(m)); };
    return {bits(quote), bits(v) | bits(quoteChar)};
}
#else
inline void copy16(char* to, const std::uint8_t* from)
{
    std::memcpy(to, from, kStep);
}

inline Bits specialBits(const std::uint8_t* p)
{
    Bits b {0, 0};
    for (std::size_t i = 0; i < kStep; ++i) {
        b.quote |= std::uint32_t {isSpecial(static_cast<char>(p[i]))} << i;
        b.treat |= std::uint32_t {p[i] >= 0x80 || p[i] == kQuote} << i;
    }
    return b;
}
#endif

constexpr std::uint32_t lowBits(std::size_t n)
{
    return n >= 32 ? ~0u : (1u << n) - 1;
}

// Copies n bytes in blocks of sixteen, so up to fifteen more are written and read.
[[gnu::always_inline]] inline char* copyRun(char* o, const std::uint8_t* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; i += kStep)
        copy16(o + i, p + i);
    return o + n;
}

// A field that needs quotes or a guard, or has bytes beyond ASCII or '"': the rules of
// appendCsvFieldCp1252, with the runs between the bytes to treat copied in blocks.
[[gnu::noinline]] char* encodeShaped(char* o, const std::uint8_t* p, std::size_t len, bool special,
                                     const Cp1252Utf8& table)
{
    const std::string_view text(reinterpret_cast<const char*>(p), len);
    const bool guard = looksLikeFormula(text);
    const bool quote = special || (!guard && isBlank(text.front())) || isBlank(text.back());
    if (quote)
        *o++ = kQuote;
    if (guard)
        *o++ = kFormulaGuard;
    std::size_t done = 0;
    for (std::size_t at = 0; at < len; at += kStep) {
        for (std::uint32_t treat = specialBits(p + at).treat & lowBits(len - at); treat != 0; treat &= treat - 1) {
            const std::size_t i = at + static_cast<std::size_t>(std::countr_zero(treat));
            o = copyRun(o, p + done, i - done);
            const std::uint8_t b = p[i];
            if (b == kQuote)
                *o++ = kQuote;
            const Cp1252Utf8::Sequence& seq = table.utf8[b];
            std::memcpy(o, seq.bytes.data(), seq.bytes.size());
            o += seq.size;
            done = i + 1;
        }
    }
    o = copyRun(o, p + done, len - done);
    if (quote)
        *o++ = kQuote;
    return o;
}

// Writes the CSV form of a character field of width w > 0 at p and returns its end; len gets the
// length of its text. The dbf::kReadSlack bytes after the record may be read, and kOverrun bytes
// past the end written.
[[gnu::always_inline]] inline char* encodeField(char* o, const std::uint8_t* p, std::size_t w, std::size_t& len,
                                                const Cp1252Utf8& table)
{
    len = dbf::textLength(p, w);
    if (len == 0)
        return o;
    std::uint32_t quote = 0, treat = 0;
    for (std::size_t at = 0; at < len; at += kStep) {
        const Bits b = specialBits(p + at);
        const std::uint32_t mask = lowBits(len - at);
        quote |= b.quote & mask;
        treat |= b.treat & mask;
    }
    // A text that needs no quotes has no line break in it, so only its first byte can start a formula.
    if ((quote | treat) == 0 && !isBlank(p[0]) && !isFormulaStart(p[0]) && !isBlank(p[len - 1]))
        return copyRun(o, p, len);
    return encodeShaped(o, p, len, quote != 0, table);
}

// A stored time in the form the program writes as minutes, -1 when it is no time of day; nothing
// when it is in another form (which the general reader then reads).
[[gnu::always_inline]] inline std::optional<int> simpleMinutes(const std::uint8_t* p, std::size_t len, char separator,
                                                               bool end = false)
{
    const std::string_view bytes(reinterpret_cast<const char*>(p), len);
    const int minutes = end ? writtenEndMinutes(bytes, separator) : writtenTimeMinutes(bytes, separator);
    if (minutes == kOtherForm)
        return std::nullopt;
    return minutes;
}

// What each field is for the export, decided once.
enum class Kind : std::uint8_t { Text, Logical, From, To, Break };

struct FieldPlan {
    Kind kind;
    std::size_t offset;
    std::size_t width;
};

class RecordLineWriter {
public:
    RecordLineWriter(const DbfTable& table, const RecordCsvTexts& texts, const Regional& regional)
        : m_regional(regional), m_table(cp1252Utf8())
    {
        m_yes = PaddedText(texts.yes);
        m_no = PaddedText(texts.no);
        bool hasFrom = false, hasTo = false;
        for (int i = 0; i < table.fieldCount(); ++i) {
            const FieldInfo& f = table.field(i);
            Kind kind = Kind::Text;
            if (f.type == FieldType::Logical)
                kind = Kind::Logical;
            else if (i == workfield::kFrom)
                kind = Kind::From;
            else if (i == workfield::kTo)
                kind = Kind::To;
            else if (i == workfield::kBreak)
                kind = Kind::Break;
            hasFrom |= kind == Kind::From;
            hasTo |= kind == Kind::To;
            m_fields.push_back({kind, static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width)});
            m_maxLine += 1 + (kind == Kind::Logical ? std::max(m_yes.size, m_no.size) : 3 * m_fields.back().width + 3);
        }
        m_hasTimes = hasFrom && hasTo;
        m_maxLine += 1 + kMaxHoursBytes + kLineEnd.size() + kOverrun;
        // The hours are written here directly where the separators are plain.
        const char16_t decimal = regional.decimalSeparator;
        m_plainDecimal = decimal < 0x80 && !isSpecial(decimal);
        m_decimal = static_cast<char>(decimal);
        m_timeSeparator = regional.timeSeparator < 0x80 ? static_cast<char>(regional.timeSeparator) : ':';
    }

    // The most bytes a line may take, with the bytes the writer may write beyond it.
    std::size_t maxLine() const { return m_maxLine; }

    char* write(char* o, const std::uint8_t* record)
    {
        struct Time {
            const std::uint8_t* bytes = nullptr;
            std::size_t size = 0;
        } from, to, pause;
        bool first = true;
        for (const FieldPlan& f : m_fields) {
            if (!first)
                *o++ = kSeparator;
            first = false;
            const std::uint8_t* p = record + f.offset;
            if (f.kind == Kind::Logical) {
                // As the grid shows it: blank, or true for "T" or "t", or else false.
                if (f.width >= 1 && p[0] != ' ')
                    o = copyText(o, (p[0] | 0x20) == 't' ? m_yes : m_no);
                continue;
            }
            std::size_t len = 0;
            if (f.width > 0)
                o = encodeField(o, p, f.width, len, m_table);
            if (f.kind == Kind::From)
                from = {p, len};
            else if (f.kind == Kind::To)
                to = {p, len};
            else if (f.kind == Kind::Break)
                pause = {p, len};
        }
        if (!first)
            *o++ = kSeparator;
        if (m_hasTimes)
            o = writeHours(o, from.bytes, from.size, to.bytes, to.size, pause.bytes, pause.size);
        std::memcpy(o, kLineEnd.data(), kLineEnd.size());
        return o + kLineEnd.size();
    }

private:
    // A field's CSV form followed by kStep spare bytes, so that a short one is one copy of fixed size.
    struct PaddedText {
        PaddedText() = default;
        explicit PaddedText(std::u16string_view text)
        {
            appendCsvField(bytes, text);
            size = bytes.size();
            bytes.append(kStep, ' ');
        }
        std::string bytes;
        std::size_t size = 0;
    };

    static char* copyText(char* o, const PaddedText& text)
    {
        if (text.size <= kStep)
            copy16(o, reinterpret_cast<const std::uint8_t*>(text.bytes.data()));
        else
            std::memcpy(o, text.bytes.data(), text.size);
        return o + text.size;
    }

    char* writeHours(char* o, const std::uint8_t* from, std::size_t fromSize, const std::uint8_t* to,
                     std::size_t toSize, const std::uint8_t* pause, std::size_t pauseSize)
    {
        const auto start = simpleMinutes(from, fromSize, m_timeSeparator);
        const auto end = simpleMinutes(to, toSize, m_timeSeparator, true);
        const auto rest = pauseSize == 0 ? std::optional<int>(0) : simpleMinutes(pause, pauseSize, m_timeSeparator);
        if (!m_plainDecimal || !start || !end || !rest)
            return writeHoursSlowly(o, from, fromSize, to, toSize, pause, pauseSize);
        if (*start < 0 || *end < 0)
            return o;
        // As workedTime counts and FormatHours writes them: no period before its start, the break
        // up to the period; hundredths of an hour rounded half away from zero, which for whole
        // minutes is (60 000 m + 18 000) / 36 000 = (10 m + 3) / 6. A period up to 24:00 keeps the
        // whole hours at most 24.
        const int period = std::max(*end - *start, 0);
        const int worked = period - std::min(std::max(*rest, 0), period);
        const int hundredths = (worked * 10 + 3) / 6;
        const int whole = hundredths / 100, part = hundredths % 100;
        if (whole >= 10)
            *o++ = static_cast<char>('0' + whole / 10);
        *o++ = static_cast<char>('0' + whole % 10);
        *o++ = m_decimal;
        *o++ = static_cast<char>('0' + part / 10);
        *o++ = static_cast<char>('0' + part % 10);
        return o;
    }

    // Times in another form, or a separator that needs more than a copy: the general readers.
    [[gnu::noinline]] char* writeHoursSlowly(char* o, const std::uint8_t* from, std::size_t fromSize,
                                             const std::uint8_t* to, std::size_t toSize, const std::uint8_t* pause,
                                             std::size_t pauseSize)
    {
        const auto text = [](const std::uint8_t* p, std::size_t n) {
            return cp1252::decode(std::string_view(reinterpret_cast<const char*>(p), n));
        };
        const auto worked = workedMs(text(from, fromSize), text(to, toSize), text(pause, pauseSize), m_regional);
        m_scratch.clear();
        if (worked)
            appendCsvField(m_scratch, FormatHours(*worked, m_regional), CsvKind::Number);
        std::memcpy(o, m_scratch.data(), m_scratch.size());
        return o + m_scratch.size();
    }

    const Regional& m_regional;
    const Cp1252Utf8& m_table;
    std::vector<FieldPlan> m_fields;
    PaddedText m_yes;
    PaddedText m_no;
    std::string m_scratch;
    std::size_t m_maxLine = 0;
    bool m_hasTimes = false;
    bool m_plainDecimal = false;
    char m_decimal = ',';
    char m_timeSeparator = ':';
};

}  // namespace

void ExportRecordsCsv(DbfTable& table, const std::filesystem::path& target, const RecordCsvTexts& texts,
                      const Regional& regional, const ExportProgress& progress)
{
    table.takeInAppended();
    const std::uint64_t total = table.physicalCount();
    const auto goOn = [&](std::uint64_t done) {
        if (progress && !progress(done, total))
            throw AbortError();
    };
    goOn(0);
    CsvFile csv(target);
    for (const auto& title : texts.titles)
        csv.field(title);
    csv.endLine();

    RecordLineWriter line(table, texts, regional);
    // One block of lines, with room for the longest line after kBlockBytes.
    const std::size_t capacity = kBlockBytes + line.maxLine();
    const auto block = std::make_unique_for_overwrite<char[]>(capacity);
    char* o = block.get();
    std::uint32_t sinceProgress = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        o = line.write(o, table.recordBytes().data());
        if (static_cast<std::size_t>(o - block.get()) >= kBlockBytes) {
            csv.lines({block.get(), static_cast<std::size_t>(o - block.get())});
            o = block.get();
        }
        if (++sinceProgress == kProgressStep) {
            sinceProgress = 0;
            goOn(table.recNo() + 1ull);
        }
    }
    csv.lines({block.get(), static_cast<std::size_t>(o - block.get())});
    goOn(total);
    csv.commit();
}

}  // namespace horavant
