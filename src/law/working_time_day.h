// One employee's recorded periods of one calendar day, reduced to what the working-time rules ask.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace horavant {

// A period of one row: milliseconds since 00:00, from inclusive, to exclusive.
struct TimeSpan {
    std::int32_t from = 0;
    std::int32_t to = 0;
    friend bool operator==(const TimeSpan&, const TimeSpan&) = default;
};

// What the rules read from a day once all its rows are in.
struct DayFigures {
    std::int64_t presence = 0;  // length of the union of the periods
    std::int64_t net = 0;  // presence less the recorded breaks, never below 0
    std::int64_t breaksTaken = 0;  // recorded breaks plus the gaps of at least 15 minutes
    std::int32_t firstStart = 0;  // start of the first stretch, when there is presence
    std::int32_t lastEnd = 0;  // end of the last stretch, when there is presence
    // Stretches (periods joined across gaps under 15 minutes) longer than 6 hours whose rows
    // record no break; at most three fit into a day.
    std::array<TimeSpan, 3> longStretches {};
    int longStretchCount = 0;
    // Double bookings: rows that overlap an earlier row of the day, and marked rows that overlap
    // none. `shown` is the earliest of them; `other` is the row it overlaps, absent for a row
    // that is only marked.
    std::uint32_t doubleBookings = 0;
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
    // One row's period (from < to), its recorded break and its double-booking mark.
    void add(TimeSpan span, std::int32_t recordedBreak, bool marked);
    bool empty() const { return m_pieces.empty(); }
    DayFigures figures() const;

private:
    struct Piece {
        std::int32_t start;
        std::int32_t end;
        TimeSpan owner;
        bool breakRecorded;  // a row lying in this piece's stretch records a break
        bool overlapped;  // a later row overlapped this piece
    };

    void noteDoubleBooking(TimeSpan row, const TimeSpan* other);

    std::vector<Piece> m_pieces;
    std::int64_t m_recordedBreaks = 0;
    std::uint32_t m_overlaps = 0;
    bool m_hasPair = false;
    TimeSpan m_pairFirst {};
    TimeSpan m_pairSecond {};
    // Marked rows that overlapped nothing when they came; a later row may still overlap them.
    std::vector<TimeSpan> m_markedAlone;
};

}  // namespace horavant
