// One employee's recorded periods of one calendar day: the covered time, the working time within
// it, and the double bookings.
#pragma once

#include "law/working_time_breaks.h"

#include <cstdint>
#include <vector>

namespace horavant {

// The double bookings of a day: rows that overlap an earlier row of the day, and marked rows that
// overlap none. `shown` is the earliest of them; `other` is the row it overlaps, absent for a row
// that is only marked.
struct DoubleBookings {
    std::uint32_t count = 0;
    TimeSpan shown {};
    TimeSpan other {};
    bool hasOther = false;
};

// The covered time of a day as disjoint pieces in time order, each remembering the row that
// first covered it. A row adds only the parts no earlier row covered, so the pieces never
// outnumber the minutes of a day, however many rows the day has; an overlap is found against a
// piece, and its row is a row that really overlaps.
class WorkDay {
public:
    // One row's period (from < to), its break parts (within the period) and its double-booking mark.
    void add(TimeSpan span, const RowBreaks& breaks, bool marked);
    bool empty() const { return m_pieces.empty(); }
    std::int32_t firstStart() const { return m_pieces.front().start; }
    std::int32_t lastEnd() const { return m_pieces.back().end; }
    // The end of the covered time that runs on from its start across gaps shorter than `gap`.
    std::int32_t endOfFirstRun(std::int32_t gap) const;
    // The start of the first piece that starts at or after `time`, or -1.
    std::int32_t startFrom(std::int32_t time) const;
    // The working time: each row's period less its own break, joined over the rows, in time order,
    // touching parts joined. A break that another row covers with work is no break.
    const std::vector<TimeSpan>& worked() const { return m_worked; }
    DoubleBookings doubleBookings() const;

private:
    struct Piece {
        std::int32_t start;
        std::int32_t end;
        TimeSpan owner;
        bool overlapped;  // a later row overlapped this piece
    };

    void noteDoubleBooking(TimeSpan row, const TimeSpan* other);
    void addWorked(TimeSpan part);

    std::vector<Piece> m_pieces;
    std::vector<TimeSpan> m_worked;
    // The last row with at most one break part: the same row again adds no working time.
    TimeSpan m_lastRow {};
    TimeSpan m_lastBreak {};
    std::size_t m_lastBreaks = RowBreaks::kMost;
    std::uint32_t m_overlaps = 0;
    bool m_hasPair = false;
    TimeSpan m_pairFirst {};
    TimeSpan m_pairSecond {};
    // Marked rows that overlapped nothing when they came; a later row may still overlap them.
    std::vector<TimeSpan> m_markedAlone;
};

}  // namespace horavant
