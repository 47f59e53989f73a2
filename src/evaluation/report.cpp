// Building the evaluation reports line by line.
#include "evaluation/report.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"

#include <algorithm>

namespace horavant {
namespace {

struct Column {
    int title;  // message number
    std::size_t minWidth;
    int field;
};

struct LayoutInfo {
    int heading;  // message of the first line
    int subjectField;
    Column second;
    Column third;
    bool overnightColumn;
};

LayoutInfo layoutInfo(EvaluationLayout layout)
{
    switch (layout) {
    case EvaluationLayout::Place:
        return {31, workfield::kPlace, {43, 25, workfield::kEmployee}, {38, 35, workfield::kActivity}, false};
    case EvaluationLayout::Activity:
        return {34, workfield::kActivity, {43, 30, workfield::kEmployee}, {37, 30, workfield::kPlace}, false};
    case EvaluationLayout::Employee:
        break;
    }
    return {23, workfield::kEmployee, {37, 25, workfield::kPlace}, {38, 35, workfield::kActivity}, true};
}

constexpr Column kDateColumn {36, 10, workfield::kDate};
constexpr Column kFromColumn {39, 5, workfield::kFrom};
constexpr Column kToColumn {40, 5, workfield::kTo};
constexpr Column kOvernightColumn {41, 12, workfield::kAway};
constexpr Column kBreakColumn {35, 5, workfield::kBreak};
constexpr Column kRemarksColumn {42, 11, workfield::kRemarks};

constexpr int kAwayText = 26;
constexpr int kPeriodFrom = 24;
constexpr int kPeriodTo = 25;
constexpr int kAwayCount = 27;
constexpr int kBreakTotal = 28;
constexpr int kWorkTotal = 29;

void appendPadded(std::u16string& line, std::u16string_view text, std::size_t width)
{
    line += text;
    if (text.size() < width)
        line.append(width - text.size(), u' ');
}

std::u16string decimal(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The texts and widths of the columns, fixed for one report.
struct Columns {
    Columns(const LayoutInfo& layout, const std::function<std::u16string(int)>& messageText)
    {
        const auto take = [&](const Column& c, std::u16string& title, std::size_t& width) {
            title = messageText(c.title);
            width = std::max(title.size(), c.minWidth);
        };
        take(kDateColumn, dateTitle, date);
        take(layout.second, secondTitle, second);
        take(layout.third, thirdTitle, third);
        take(kFromColumn, fromTitle, from);
        take(kToColumn, toTitle, to);
        take(kOvernightColumn, overnightTitle, overnight);
        take(kBreakColumn, breakTitle, breakWidth);
        take(kRemarksColumn, remarksTitle, remarks);
    }

    std::u16string dateTitle, secondTitle, thirdTitle, fromTitle, toTitle, overnightTitle, breakTitle, remarksTitle;
    std::size_t date = 0, second = 0, third = 0, from = 0, to = 0, overnight = 0, breakWidth = 0, remarks = 0;
};

}  // namespace

int subjectPosition(EvaluationLayout layout) { return layoutInfo(layout).subjectField; }

std::u16string PadRight(std::u16string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), u' ');
    return text;
}

std::u16string FormatPeriodDate(std::chrono::year_month_day date) { return formatStoredDate(date); }

std::u16string FormatHours(std::int64_t totalMs, const Regional& regional)
{
    const bool negative = totalMs < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(totalMs) : static_cast<std::uint64_t>(totalMs);
    // One hundredth of an hour is 36 000 ms; adding half of it before the division rounds half
    // away from zero on the magnitude.
    const std::uint64_t hundredths = (magnitude + 18'000) / 36'000;
    std::u16string text;
    if (negative && hundredths != 0)
        text += u'-';
    text += decimal(hundredths / 100);
    text += regional.decimalSeparator;
    text += PadZeros(decimal(hundredths % 100), 2);
    return text;
}

std::vector<std::u16string> BuildEvaluation(DbfTable& table, EvaluationLayout layout, std::u16string_view subject,
                                            std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                            bool showBreaks, const Regional& regional,
                                            const std::function<std::u16string(int)>& messageText,
                                            const DistinctTextRows* gathered)
{
    const LayoutInfo info = layoutInfo(layout);
    const Columns cols(info, messageText);
    const std::u16string awayText = messageText(kAwayText);

    std::vector<std::u16string> lines;
    lines.push_back(messageText(info.heading) + u' ' + std::u16string(subject));
    lines.push_back(messageText(kPeriodFrom) + u' ' + FormatPeriodDate(fromDate) + u' ' + messageText(kPeriodTo) +
                    u' ' + FormatPeriodDate(toDate));
    lines.emplace_back();

    std::u16string line;
    appendPadded(line, cols.dateTitle, cols.date);
    line += u' ';
    appendPadded(line, cols.secondTitle, cols.second);
    line += u' ';
    appendPadded(line, cols.thirdTitle, cols.third);
    line += u' ';
    appendPadded(line, cols.fromTitle, cols.from);
    line += u' ';
    appendPadded(line, cols.toTitle, cols.to);
    if (info.overnightColumn) {
        line += u' ';
        appendPadded(line, cols.overnightTitle, cols.overnight);
    }
    if (showBreaks) {
        line += u' ';
        appendPadded(line, cols.breakTitle, cols.breakWidth);
    }
    line += u' ';
    appendPadded(line, cols.remarksTitle, cols.remarks);
    lines.push_back(line);

    int awayCount = 0;
    std::int64_t breakTotal = 0;
    std::int64_t workTotal = 0;
    // Only the subject field is decoded for every row; the rest only for the rows selected.
    std::u16string date, second, third, from, to, remarks, away, pause;
    // The subject is compared with the stored bytes, so rows of other subjects are never decoded.
    // A subject the code page cannot hold matches no row.
    const std::string wanted = cp1252::encode(subject);
    const bool storable = cp1252::decode(wanted) == subject;
    const auto takeRow = [&] {
        if (!sameBytes(table.fieldBytes(info.subjectField), wanted))
            return;
        table.readFieldText(workfield::kDate, date);
        const auto day = readStoredDate(date, regional);
        if (!day || fromDate > *day || toDate < *day)
            return;

        table.readFieldText(workfield::kAway, away);
        const bool isAway = away == dbf::kTrueText;
        if (isAway)
            ++awayCount;
        table.readFieldText(info.second.field, second);
        table.readFieldText(info.third.field, third);
        table.readFieldText(workfield::kFrom, from);
        table.readFieldText(workfield::kTo, to);
        table.readFieldText(workfield::kRemarks, remarks);
        table.readFieldText(workfield::kBreak, pause);

        line.clear();
        appendPadded(line, date, cols.date);
        line += u' ';
        appendPadded(line, second, cols.second);
        line += u' ';
        appendPadded(line, third, cols.third);
        line += u' ';
        appendPadded(line, from, cols.from);
        line += u' ';
        appendPadded(line, to, cols.to);
        if (info.overnightColumn) {
            line += u' ';
            appendPadded(line, isAway ? std::u16string_view(awayText) : std::u16string_view(), cols.overnight);
        }
        if (showBreaks) {
            line += u' ';
            appendPadded(line, pause, cols.breakWidth);
        }
        line += u' ';
        line += remarks;
        lines.push_back(line);

        const std::int64_t breakTime = readStoredTime(pause, regional).value_or(0);
        const auto end = readStoredTime(to, regional);
        const auto start = readStoredTime(from, regional);
        if (end && start) {
            workTotal += *end - *start - breakTime;
            breakTotal += breakTime;
        }
    };
    const auto records = gathered ? gathered->recordsOf(table, subject) : std::nullopt;
    if (records) {
        // The subject's records as the gathering scan found them; each is still checked.
        for (const std::uint32_t r : *records) {
            if (storable && table.gotoRecord(r))
                takeRow();
        }
    } else {
        for (table.First(); storable && !table.Eof(); table.Next())
            takeRow();
    }

    lines.emplace_back();
    lines.push_back(messageText(kAwayCount) + u' ' + decimal(static_cast<std::uint64_t>(awayCount)));
    lines.push_back(messageText(kBreakTotal) + u' ' + FormatHours(breakTotal, regional));
    lines.push_back(messageText(kWorkTotal) + u' ' + FormatHours(workTotal, regional));
    return lines;
}

}  // namespace horavant
