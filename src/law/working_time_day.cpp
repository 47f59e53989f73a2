// The covered time of one employee's day and the figures the working-time rules read from it.
#include "law/working_time_day.h"

#include "store/work_time_text.h"

#include <algorithm>
#include <tuple>

namespace horavant {
namespace {

// A gap between two periods is a break taken only from this length on.
constexpr std::int64_t kShortestBreak = 15 * kMsPerMinute;
constexpr std::int64_t kLongestStretch = 6 * kMsPerHour;

bool earlier(TimeSpan a, TimeSpan b)
{
    return std::tie(a.from, a.to) < std::tie(b.from, b.to);
}

}  // namespace

void WorkDay::noteDoubleBooking(TimeSpan row, const TimeSpan* other)
{
    TimeSpan first = row;
    TimeSpan second = other ? *other : TimeSpan {};
    if (other && earlier(second, first))
        std::swap(first, second);
    if (!m_hasPair || earlier(first, m_pairFirst) || (first == m_pairFirst && earlier(second, m_pairSecond))) {
        m_pairFirst = first;
        m_pairSecond = second;
    }
    m_hasPair = true;
}

void WorkDay::add(TimeSpan span, std::int32_t recordedBreak, bool marked)
{
    m_recordedBreaks += recordedBreak;
    const bool breakRecorded = recordedBreak > 0;
    if (m_pieces.empty())
        m_pieces.reserve(4);  // most days have a few pieces; this spares the first steps of growing
    // Pieces are disjoint and in time order, so their ends are ordered too. Touching is no overlap.
    const auto begin = std::partition_point(m_pieces.begin(), m_pieces.end(),
                                            [&](const Piece& p) { return p.end <= span.from; });
    std::size_t first = static_cast<std::size_t>(begin - m_pieces.begin());
    std::size_t last = first;
    while (last < m_pieces.size() && m_pieces[last].start < span.to)
        ++last;

    if (first == last) {
        m_pieces.insert(begin, Piece {span.from, span.to, span, breakRecorded, false});
        if (marked)
            m_markedAlone.push_back(span);
        return;
    }

    ++m_overlaps;
    noteDoubleBooking(span, &m_pieces[first].owner);
    m_pieces[first].breakRecorded = m_pieces[first].breakRecorded || breakRecorded;
    // The parts of the row that no piece covers yet become pieces of their own.
    std::int32_t covered = span.from;
    for (std::size_t i = first; i < last; ++i) {
        if (m_pieces[i].start > covered) {
            const auto at = m_pieces.begin() + static_cast<std::ptrdiff_t>(i);
            m_pieces.insert(at, Piece {covered, m_pieces[i].start, span, breakRecorded, false});
            ++i;
            ++last;
        }
        m_pieces[i].overlapped = true;
        covered = std::max(covered, m_pieces[i].end);
    }
    if (covered < span.to) {
        const auto at = m_pieces.begin() + static_cast<std::ptrdiff_t>(last);
        m_pieces.insert(at, Piece {covered, span.to, span, breakRecorded, false});
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
                f.longStretches[static_cast<std::size_t>(f.longStretchCount++)] = {stretchStart, stretchEnd};
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
        auto p = std::partition_point(m_pieces.begin(), m_pieces.end(),
                                      [&](const Piece& piece) { return piece.end <= span.from; });
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

}  // namespace horavant
