// The covered time of one employee's day, its working time and its double bookings.
#include "law/working_time_day.h"

#include <algorithm>
#include <tuple>

namespace horavant {
namespace {

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

void WorkDay::addWorked(TimeSpan part)
{
    if (part.from >= part.to)
        return;
    // The parts are apart and in time order; those the new one touches or overlaps become one.
    const auto first = std::partition_point(m_worked.begin(), m_worked.end(),
                                            [&](const TimeSpan& w) { return w.to < part.from; });
    if (first != m_worked.end() && first->from <= part.from && first->to >= part.to)
        return;  // already working time, as with a row booked twice
    auto last = first;
    while (last != m_worked.end() && last->from <= part.to)
        ++last;
    if (first == last) {
        m_worked.insert(first, part);
        return;
    }
    first->from = std::min(first->from, part.from);
    first->to = std::max((last - 1)->to, part.to);
    m_worked.erase(first + 1, last);
}

void WorkDay::add(TimeSpan span, const RowBreaks& breaks, bool marked)
{
    if (m_pieces.empty()) {
        // Most days have a few pieces; this spares the first steps of growing.
        m_pieces.reserve(4);
        m_worked.reserve(4);
    }
    const bool again = breaks.count == m_lastBreaks && span == m_lastRow
                       && (breaks.count == 0 || breaks.spans[0] == m_lastBreak);
    if (breaks.count <= 1) {
        m_lastRow = span;
        m_lastBreak = breaks.spans[0];
        m_lastBreaks = breaks.count;
    }
    // A row that lies within the working time of the day's other rows adds none, break or not.
    const auto within = again ? m_worked.begin()
                              : std::partition_point(m_worked.begin(), m_worked.end(),
                                                     [&](const TimeSpan& w) { return w.to < span.to; });
    if (!again && (within == m_worked.end() || within->from > span.from)) {
        std::int32_t workFrom = span.from;
        for (std::size_t i = 0; i < breaks.count; ++i) {
            addWorked({workFrom, breaks.spans[i].from});
            workFrom = breaks.spans[i].to;
        }
        addWorked({workFrom, span.to});
    }

    // Pieces are disjoint and in time order, so their ends are ordered too. Touching is no overlap.
    const auto begin = std::partition_point(m_pieces.begin(), m_pieces.end(),
                                            [&](const Piece& p) { return p.end <= span.from; });
    std::size_t first = static_cast<std::size_t>(begin - m_pieces.begin());
    std::size_t last = first;
    while (last < m_pieces.size() && m_pieces[last].start < span.to)
        ++last;

    if (first == last) {
        m_pieces.insert(begin, Piece {span.from, span.to, span, false});
        if (marked)
            m_markedAlone.push_back(span);
        return;
    }

    ++m_overlaps;
    noteDoubleBooking(span, &m_pieces[first].owner);
    // The parts of the row that no piece covers yet become pieces of their own.
    std::int32_t covered = span.from;
    for (std::size_t i = first; i < last; ++i) {
        if (m_pieces[i].start > covered) {
            const auto at = m_pieces.begin() + static_cast<std::ptrdiff_t>(i);
            m_pieces.insert(at, Piece {covered, m_pieces[i].start, span, false});
            ++i;
            ++last;
        }
        m_pieces[i].overlapped = true;
        covered = std::max(covered, m_pieces[i].end);
    }
    if (covered < span.to) {
        const auto at = m_pieces.begin() + static_cast<std::ptrdiff_t>(last);
        m_pieces.insert(at, Piece {covered, span.to, span, false});
    }
}

std::int32_t WorkDay::endOfFirstRun(std::int32_t gap) const
{
    std::int32_t end = m_pieces.front().end;
    for (const Piece& p : m_pieces) {
        if (p.start - end >= gap)
            break;
        end = std::max(end, p.end);
    }
    return end;
}

std::int32_t WorkDay::startFrom(std::int32_t time) const
{
    const auto p = std::partition_point(m_pieces.begin(), m_pieces.end(),
                                        [&](const Piece& piece) { return piece.start < time; });
    return p == m_pieces.end() ? -1 : p->start;
}

DoubleBookings WorkDay::doubleBookings() const
{
    DoubleBookings d;
    d.count = m_overlaps;
    bool found = m_hasPair;
    TimeSpan shown = m_pairFirst;
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
        ++d.count;
        if (!found || earlier(span, shown)) {
            found = true;
            shown = span;
            hasOther = false;
        }
    }
    if (found) {
        d.shown = shown;
        d.hasOther = hasOther;
        if (hasOther)
            d.other = m_pairSecond;
    }
    return d;
}

}  // namespace horavant
