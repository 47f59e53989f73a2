// The covered time of one employee's day and the figures the working-time rules read from it.
#include "evaluation/working_time_day.h"

#include "store/work_time_text.h"

#include <algorithm>
#include <tuple>

namespace horavant
{
namespace
{

// A gap between two periods is a break taken only from this length on.
constexpr std::int64_t kShortestBreak = 15 * kMsPerMinute;
constexpr std::int64_t kLongestStretch = 6 * kMsPerHour;

bool earlier(TimeSpan a, TimeSpan b)
{
    return std::tie(a.from, a.to) < std::tie(b.from, b.to);
}

} // namespace

void WorkDay::noteDoubleBooking(TimeSpan row, const TimeSpan* other)
{
    TimeSpan first = row;
    TimeSpan second = other ? *other : TimeSpan {};
    if (other && earlier(second, first))
        std::swap(first, second);
    if (!m_hasPair || earlier(first, m_pairFirst)
        || (first == m_pairFirst && earlier(second, m_pairSecond))) {
        m_pairFirst = first;
        m_pairSecond = second;
    }
    m_hasPair = true;
}

void WorkDay::add(TimeSpan span, std::int32_t recordedBreak, bool marked)
{
    m_recordedBreaks += recordedBreak;
    const bool breakRecorded = recordedBreak > 0;
    // Pieces are disjoint and in time order, so their ends are ordered too. Touching is no overlap.
    const auto first = std::partition_point(
        m_pieces.begin(), m_pieces.end(), [&](const Piece& p) { return p.end <= span.from; });
    auto last = first;
    while (last != m_pieces.end() && last->start < span.to)
        ++last;

    if (first == last) {
        m_pieces.insert(first, Piece { span.from, span.to, span, breakRecorded, false });
        if (marked)
            m_markedAlone.push_back(span);
        return;
    }

    ++m_overlaps;
    noteDoubleBooking(span, &first->owner);
    first->breakRecorded = first->breakRecorded || breakRecorded;
    // The parts of the row that no piece covers yet become pieces of their own.
    std::vector<Piece> gaps;
    std::int32_t covered = span.from;
    for (auto p = first; p != last; ++p) {
        p->overlapped = true;
        if (p->start > covered)
            gaps.push_back(Piece { covered, p->start, span, breakRecorded, false });
        covered = std::max(covered, p->end);
    }
    if (covered < span.to)
        gaps.push_back(Piece { covered, span.to, span, breakRecorded, false });
    for (const Piece& gap : gaps) {
        const auto at = std::partition_point(
            m_pieces.begin(), m_pieces.end(), [&](const Piece& p) { return p.start < gap.start; });
        m_pieces.insert(at, gap);
    }
}

DayFigures WorkDay::figures() const
{
    DayFigures f;
    if (!m_pieces.empty()) {
        std::int64_t gapBreaks = 0;
        std::int32_t stretchStart = m_pieces.front().start;
        std::int32_t stretchEnd = m_pieces.front().end;
        bool stretchBreak = false;
        const auto closeStretch = [&] {
            if (stretchEnd - stretchStart > kLongestStretch && !stretchBreak && f.longStretchCount < 3)
                f.longStretches[static_cast<std::size_t>(f.longStretchCount++)]
                    = { stretchStart, stretchEnd };
        };
        for (const Piece& p : m_pieces) {
            f.presence += p.end - p.start;
            const std::int64_t gap = p.start - stretchEnd;
            if (gap >= kShortestBreak) {
                closeStretch();
                gapBreaks += gap;
                stretchStart = p.start;
                stretchBreak = false;
            }
            stretchEnd = p.end;
            stretchBreak = stretchBreak || p.breakRecorded;
        }
        closeStretch();
        f.firstStart = m_pieces.front().start;
        f.lastEnd = m_pieces.back().end;
        f.net = std::max<std::int64_t>(0, f.presence - m_recordedBreaks);
        f.breaksTaken = m_recordedBreaks + gapBreaks;
    } else {
        f.breaksTaken = m_recordedBreaks;
    }

    f.doubleBookings = m_overlaps;
    bool found = m_hasPair;
    TimeSpan shown = m_pairFirst;
    TimeSpan other = m_pairSecond;
    bool hasOther = m_hasPair;
    for (const TimeSpan& span : m_markedAlone) {
        // The row's pieces are all the pieces it owns; a later row that overlapped any of them
        // was counted with that row already.
        auto p = std::partition_point(
            m_pieces.begin(), m_pieces.end(), [&](const Piece& piece) { return piece.end <= span.from; });
        bool overlapped = false;
        for (; p != m_pieces.end() && p->start < span.to; ++p)
            overlapped = overlapped || (p->owner == span && p->overlapped);
        if (overlapped)
            continue;
        ++f.doubleBookings;
        if (!found || earlier(span, shown)) {
            found = true;
            shown = span;
            hasOther = false;
        }
    }
    if (found) {
        f.shown = shown;
        f.other = other;
        f.hasOther = hasOther;
        if (!hasOther)
            f.other = {};
    }
    return f;
}

} // namespace horavant
