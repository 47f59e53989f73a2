// Building the evaluation reports line by line.
#include "evaluation/report.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"

#include <algorithm>
#include <iterator>

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
    case EvaluationLayout::Employee: break;
    }
    return {23, workfield::kEmployee, {37, 25, workfield::kPlace}, {38, 35, workfield::kActivity}, true};
}

constexpr Column kDateColumn {36, 10, workfield::kDate};
constexpr Column kFromColumn {39, 5, workfield::kFrom};
constexpr Column kToColumn {40, 5, workfield::kTo};
constexpr Column kOvernightColumn {41, 12, workfield::kAway};
constexpr Column kBreakColumn {35, 5, workfield::kBreak};
constexpr Column kRemarksColumn {42, 11, workfield::kRemarks};

constexpr int kReportTitle = 6;
constexpr int kAwayText = 26;
constexpr int kPeriodFrom = 24;
constexpr int kPeriodTo = 25;
constexpr int kAwayCount = 27;
constexpr int kBreakTotal = 28;
constexpr int kWorkTotal = 29;

std::u16string decimal(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

ReportColumn column(const Column& c, const std::function<std::u16string(int)>& messageText)
{
    ReportColumn result;
    result.title = messageText(c.title);
    result.width = std::max(result.title.size(), c.minWidth);
    return result;
}

}  // namespace

int subjectPosition(EvaluationLayout layout)
{
    return layoutInfo(layout).subjectField;
}

std::u16string PadRight(std::u16string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), u' ');
    return text;
}

std::u16string FormatPeriodDate(std::chrono::year_month_day date)
{
    return formatStoredDate(date);
}

std::u16string FormatHours(std::int64_t totalMs, const Regional& regional)
{
    const bool negative = totalMs < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(totalMs)
                                             : static_cast<std::uint64_t>(totalMs);
    // One hundredth of an hour is 36 000 ms; adding half of it before the division rounds half
    // away from zero on the magnitude.
    const std::uint64_t hundredths = (magnitude + 18'000) / 36'000;
    // Written from the right: the exports write one of these for every record.
    char16_t digits[32];
    char16_t* p = std::end(digits);
    std::uint64_t rest = hundredths;
    *--p = static_cast<char16_t>(u'0' + rest % 10);
    rest /= 10;
    *--p = static_cast<char16_t>(u'0' + rest % 10);
    rest /= 10;
    *--p = regional.decimalSeparator;
    do {
        *--p = static_cast<char16_t>(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative && hundredths != 0)
        *--p = u'-';
    return std::u16string(p, std::end(digits));
}

std::optional<RowHours> workedTime(std::u16string_view from, std::u16string_view to, std::u16string_view pause,
                                   const Regional& regional)
{
    const auto end = readStoredEndTime(to, regional);
    const auto start = readStoredTime(from, regional);
    if (!end || !start)
        return std::nullopt;
    const std::int64_t period = std::max<std::int64_t>(*end - *start, 0);
    const std::int64_t deducted = std::min(readStoredTime(pause, regional).value_or(0), period);
    return RowHours {period - deducted, deducted};
}

std::optional<std::int64_t> workedMs(std::u16string_view from, std::u16string_view to, std::u16string_view pause,
                                     const Regional& regional)
{
    const auto time = workedTime(from, to, pause, regional);
    return time ? std::optional<std::int64_t>(time->worked) : std::nullopt;
}

ReportTable BuildEvaluationReport(DbfTable& table, EvaluationLayout layout, std::u16string_view subject,
                                  std::chrono::sys_days fromDate, std::chrono::sys_days toDate, bool showBreaks,
                                  const Regional& regional, const std::function<std::u16string(int)>& messageText,
                                  std::u16string_view hoursTitle, const DatedTextRows* gathered)
{
    // Records another copy appended since the gathering make its records out of date.
    table.takeInAppended();
    const LayoutInfo info = layoutInfo(layout);
    const std::u16string awayText = messageText(kAwayText);

    ReportTable report;
    report.name = messageText(kReportTitle);
    if (!subject.empty())
        report.name += u' ' + std::u16string(subject);
    report.name += u' ' + FormatPeriodDate(fromDate) + u'-' + FormatPeriodDate(toDate);
    report.heading.push_back(messageText(info.heading) + u' ' + std::u16string(subject));
    report.heading.push_back(messageText(kPeriodFrom) + u' ' + FormatPeriodDate(fromDate) + u' '
                             + messageText(kPeriodTo) + u' ' + FormatPeriodDate(toDate));

    // The cells of a row follow the columns in this order.
    std::vector<int> fields;
    const auto add = [&](const Column& c) {
        report.columns.push_back(column(c, messageText));
        fields.push_back(c.field);
    };
    add(kDateColumn);
    add(info.second);
    add(info.third);
    add(kFromColumn);
    add(kToColumn);
    if (info.overnightColumn)
        add(kOvernightColumn);
    if (showBreaks)
        add(kBreakColumn);
    add(kRemarksColumn);
    ReportColumn hours;
    hours.title = hoursTitle;
    hours.inText = false;
    hours.number = true;
    report.columns.push_back(std::move(hours));

    int awayCount = 0;
    std::int64_t breakTotal = 0;
    std::int64_t workTotal = 0;
    std::u16string date, from, to, pause, away;
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
        table.readFieldText(workfield::kFrom, from);
        table.readFieldText(workfield::kTo, to);
        table.readFieldText(workfield::kBreak, pause);

        ReportRow cells;
        cells.reserve(report.columns.size(), 128);
        for (const int field : fields) {
            if (field == workfield::kAway)
                cells.push_back(isAway ? std::u16string_view(awayText) : std::u16string_view());
            else if (field == workfield::kDate)
                cells.push_back(date);
            else
                cells.push_back(table.fieldText(field));
        }

        const auto time = workedTime(from, to, pause, regional);
        cells.push_back(time ? FormatHours(time->worked, regional) : std::u16string());
        report.rows.push_back(std::move(cells));
        if (time) {
            workTotal += time->worked;
            breakTotal += time->deducted;
        }
    };
    const auto records = gathered ? gathered->recordsOf(table, subject, fromDate, toDate) : std::nullopt;
    if (records) {
        // The subject's records of the period as the gathering scan found them; each is still checked.
        for (const std::uint32_t r : *records) {
            if (storable && table.gotoRecord(r))
                takeRow();
        }
    } else {
        for (table.First(); storable && !table.Eof(); table.Next())
            takeRow();
    }

    report.summary.push_back({messageText(kAwayCount), decimal(static_cast<std::uint64_t>(awayCount))});
    report.summary.push_back({messageText(kBreakTotal), FormatHours(breakTotal, regional)});
    report.summary.push_back({messageText(kWorkTotal), FormatHours(workTotal, regional)});
    return report;
}

std::vector<std::u16string> BuildEvaluation(DbfTable& table, EvaluationLayout layout, std::u16string_view subject,
                                            std::chrono::sys_days fromDate, std::chrono::sys_days toDate,
                                            bool showBreaks, const Regional& regional,
                                            const std::function<std::u16string(int)>& messageText,
                                            const DatedTextRows* gathered)
{
    return reportLines(BuildEvaluationReport(table, layout, subject, fromDate, toDate, showBreaks, regional,
                                             messageText, u"Stunden", gathered));
}

}  // namespace horavant
