// One line of protokoll.txt: its eleven tab-separated columns, their escapes, and the chain value
// that ends it.
#pragma once

#include "journal/digest.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace horavant::journal {

constexpr const char* kFileName = "protokoll.txt";

// The columns, in the order they stand in a line.
enum Column : std::size_t {
    kNumber,  // the running number, from 1
    kTime,  // local time with its UTC offset, 2024-05-03T14:30:12+02:00
    kComputer,
    kWho,  // the employee's name, "Administrator" or "Programm"
    kAction,
    kRecord,  // the physical record number, from 1; empty where there is none
    kSubject,  // the employee whose booking or user entry it is
    kChanges,  // FIELD: "old" → "new"; ...
    kBefore,  // SHA-256 of the record's stored bytes before the change (edits and deletions)
    kAfter,  // SHA-256 of the record's stored bytes after it, or a table state "count:base64"
    kChain,  // SHA-256 over the previous line's chain value, a tab and this line up to its chain
    kColumnCount,
};

// Who did it, where it was not an employee.
inline constexpr const char* kAdministrator = "Administrator";
inline constexpr const char* kProgram = "Programm";

// The actions, as the file names them.
inline constexpr const char* kStarted = "Anfangsstand";
inline constexpr const char* kRecorded = "Arbeitszeit erfasst";
inline constexpr const char* kInserted = "Datensatz eingefügt";
inline constexpr const char* kChanged = "Datensatz geändert";
inline constexpr const char* kDeleted = "Datensatz gelöscht";
inline constexpr const char* kRestored = "Datensicherung wiederhergestellt";
inline constexpr const char* kUpgraded = "Tabelle erweitert";
inline constexpr const char* kBackedUp = "Datensicherung erstellt";
inline constexpr const char* kUserAdded = "Benutzer hinzugefügt";
inline constexpr const char* kUserRemoved = "Benutzer entfernt";
inline constexpr const char* kUserRenamed = "Benutzer umbenannt";
inline constexpr const char* kPasswordChanged = "Passwort geändert";
inline constexpr const char* kAdminPasswordChanged = "Administratorpasswort geändert";
inline constexpr const char* kSettingsChanged = "Einstellungen geändert";

// The chain value before the first line.
inline const std::string kChainStart(kHexDigestLength, '0');

// Text handed over in pieces, and what writes it: a column tens of megabytes long is never
// held whole.
using TextSink = std::function<void(std::string_view)>;
using TextSource = std::function<void(const TextSink&)>;

struct Entry {
    std::uint64_t number = 0;
    std::string time;
    std::string computer;
    std::string who;
    std::string action;
    std::optional<std::uint32_t> record;
    std::string subject;
    std::string changes;
    std::string before;
    std::string after;
    std::string chain;
    // When set, writes the After column in place of `after` (a table state).
    TextSource afterText;
};

// Tabs, line ends and backslashes inside a field are written as \t, \n, \r and \\.
void appendEscaped(std::string& out, std::string_view text);
std::string unescapeField(std::string_view text);

// Appends the line without its end and without its chain value (nor the tab before it).
void appendUnchained(std::string& out, const Entry& entry);
// The chain value of a line whose other columns are `unchained`.
std::string chainValue(Sha256& sha, std::string_view previousChain, std::string_view unchained);

// A line split into its columns as they stand (still escaped); nothing for a line that is not a
// whole entry (too few or too many columns, no number, no chain value).
struct LineView {
    std::array<std::string_view, kColumnCount> columns;
    std::uint64_t number = 0;
    std::optional<std::uint32_t> record;
    // The line up to the tab before the chain value: what the chain value covers.
    std::string_view unchained;
};
std::optional<LineView> splitLine(std::string_view line);

// The entry a line holds, its columns unescaped; the digest columns only with `withDigests`.
std::optional<Entry> parseLine(std::string_view line, bool withDigests = true);

// The running number and record number columns as splitLine reads them.
std::optional<std::uint64_t> parseNumberColumn(std::string_view text);
std::optional<std::uint32_t> parseRecordColumn(std::string_view text);

}  // namespace horavant::journal
