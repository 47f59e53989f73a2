// Reading and writing benutzer.dat.
#include "store/user_file.h"

#include "store/byte_io.h"
#include "store/counted_strings.h"
#include "store/cp1252.h"
#include "store/error.h"
#include "store/posix_file.h"
#include "store/user_merge.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

namespace horavant {
namespace {

constexpr char16_t kScrambleShift = 4;

void writeScrambled(ByteWriter& out, std::u16string_view password)
{
    const std::string bytes = scramblePassword(password);
    out.writeI32(static_cast<std::int32_t>(bytes.size()));
    out.writeBytes(bytes);
}

std::u16string readScrambled(ByteReader& in)
{
    // Through the ANSI reader for its checks; decoding is lossless, so encoding gives the bytes back.
    return unscramblePassword(cp1252::encode(ReadCountedAnsiString(in)));
}

std::int32_t modeOnDisk(int mode)
{
    return mode != 0 ? 1 : 0;
}

bool survivesPlain(std::u16string_view character)
{
    return cp1252::decode(cp1252::encode(character)) == character;
}

bool survivesScrambled(std::u16string_view character)
{
    return unscramblePassword(scramblePassword(character)) == character;
}

// Both ways of storing go unit by unit, so a text survives exactly when each of its characters does.
template <class Survives>
std::vector<std::u16string> unstorable(std::u16string_view text, Survives survives)
{
    std::vector<std::u16string> found;
    for (std::size_t i = 0; i < text.size();) {
        const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00
                          && text[i + 1] < 0xE000;
        const std::u16string_view character = text.substr(i, pair ? 2 : 1);
        i += character.size();
        if (!survives(character) && std::find(found.begin(), found.end(), character) == found.end())
            found.emplace_back(character);
    }
    return found;
}

}  // namespace

std::vector<std::u16string> unstorableInName(std::u16string_view name)
{
    return unstorable(name, survivesPlain);
}

std::vector<std::u16string> unstorableInPassword(std::u16string_view password)
{
    return unstorable(password, survivesScrambled);
}

std::vector<std::u16string> unstorableInAdminPassword(std::u16string_view password)
{
    return unstorable(password, [](std::u16string_view c) { return survivesPlain(c) && survivesScrambled(c); });
}

std::string scramblePassword(std::u16string_view password)
{
    std::u16string shifted(password);
    for (char16_t& unit : shifted)
        unit = static_cast<char16_t>(unit + kScrambleShift);
    return cp1252::encode(shifted);
}

std::u16string unscramblePassword(std::string_view stored)
{
    std::u16string text = cp1252::decode(stored);
    for (char16_t& unit : text)
        unit = static_cast<char16_t>(unit - kScrambleShift);
    return text;
}

namespace {

// The file's bytes; nothing when it is not there. One that is there and cannot be read throws.
std::optional<std::string> readUsersFile(const std::filesystem::path& file)
{
    // Only a file that is not there means "no users yet": one that is there and cannot be read
    // would otherwise leave the administrator password empty.
    std::optional<std::string> bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const IoError& e) {
        throw PatternError(kUsersUnreadable, {file.string(), std::strerror(e.error())});
    }
    if (!bytes && errno != ENOENT)
        throw PatternError(kUsersUnreadable, {file.string(), std::strerror(errno)});
    return bytes;
}

void parseUsers(std::string_view bytes, const std::filesystem::path& file, UserData& data)
{
    // Every value goes into data as soon as it is read, so a damaged file keeps what came before.
    ByteReader in(bytes, file.string());
    const std::int32_t users = in.readI32();
    data.users.clear();
    for (std::int32_t i = 0; i < users; ++i) {
        UserRecord user;
        user.EmployeeName = ReadCountedAnsiString(in);
        user.UserName = ReadCountedAnsiString(in);
        user.Password = readScrambled(in);
        data.users.push_back(std::move(user));
    }
    ProgramSettings& s = data.settings;
    s.AdminPassword = ReadCountedAnsiString(in);
    s.AdminPasswordRepeat = readScrambled(in);
    s.EmployeesMayEdit = in.readU8() != 0;

    // Three optional tail sections, added by later versions of the file.
    if (!in.atEnd()) {
        s.PlaceTextMode = in.readI32() != 0 ? 1 : 0;
        s.PlaceTexts = ReadCountedWideString(in);
        s.ActivityTexts = ReadCountedWideString(in);
    }
    if (!in.atEnd())
        s.ActivityTextMode = in.readI32() != 0 ? 1 : 0;
    if (!in.atEnd())
        s.ShowBreakTimeInEvaluation = in.readU8() != 0;
}

// The file as a copy that has only `base` would read it: settings of tail sections the file lacks
// keep base's values. Nothing when the file is not there or damaged.
std::optional<UserData> readUsersOver(const std::optional<std::string>& bytes, const std::filesystem::path& file,
                                      const UserData& base)
{
    if (!bytes)
        return std::nullopt;
    UserData data = base;
    try {
        parseUsers(*bytes, file, data);
    } catch (const IoError&) {
        return std::nullopt;
    }
    return data;
}

std::string usersBytes(const UserData& data)
{
    ByteWriter out;
    out.writeI32(static_cast<std::int32_t>(data.users.size()));
    for (const UserRecord& user : data.users) {
        WriteCountedAnsiString(out, user.EmployeeName);
        WriteCountedAnsiString(out, user.UserName);
        writeScrambled(out, user.Password);
    }
    const ProgramSettings& s = data.settings;
    WriteCountedAnsiString(out, s.AdminPassword);
    writeScrambled(out, s.AdminPasswordRepeat);
    out.writeU8(s.EmployeesMayEdit ? 1 : 0);
    out.writeI32(modeOnDisk(s.PlaceTextMode));
    WriteCountedWideString(out, s.PlaceTexts);
    WriteCountedWideString(out, s.ActivityTexts);
    out.writeI32(modeOnDisk(s.ActivityTextMode));
    out.writeU8(s.ShowBreakTimeInEvaluation ? 1 : 0);
    return std::string(out.bytes());
}

void writeUsersFile(const std::filesystem::path& file, std::string_view bytes)
{
    try {
        if (!saveFileAtomically(file, bytes))
            throw PatternError(kUsersNotSaved, {file.string(), std::strerror(errno)});
    } catch (const IoError& e) {
        throw PatternError(kUsersNotSaved, {file.string(), e.error() != 0 ? std::strerror(e.error()) : e.what()});
    }
}

}  // namespace

void LoadBenutzer(const std::filesystem::path& file, UserData& data)
{
    if (const auto bytes = readUsersFile(file))
        parseUsers(*bytes, file, data);
}

void SaveBenutzer(const std::filesystem::path& file, const UserData& data)
{
    writeUsersFile(file, usersBytes(data));
}

UserSave SaveBenutzerChanges(const std::filesystem::path& file, UserData& base, UserData& ours,
                             std::optional<FileStamp>& stamp, const UserWriteHook& beforeWrite)
{
    const SaveLock lock(file);
    const std::optional<std::string> bytes = readUsersFile(file);
    const std::optional<UserData> theirs = readUsersOver(bytes, file, base);
    // A file that is gone or damaged holds nothing to keep: this copy's users are written whole.
    UserMerge merge = mergeUserData(base, ours, theirs.value_or(base));
    if (!theirs)
        merge.merged = ours;
    const std::string written = usersBytes(merge.merged);
    if (bytes != written) {
        if (beforeWrite)
            beforeWrite(theirs.value_or(base), merge.merged);
        writeUsersFile(file, written);
    }
    base = merge.merged;
    ours = std::move(merge.merged);
    stamp = fileStamp(file);
    return {std::move(merge.changed), std::move(merge.clashes)};
}

bool ReloadBenutzerIfChanged(const std::filesystem::path& file, UserData& base, UserData& ours,
                             std::optional<FileStamp>& stamp)
{
    const auto now = fileStamp(file);
    if (!now || now == stamp)
        return false;
    std::optional<UserData> theirs;
    try {
        theirs = readUsersOver(readUsersFile(file), file, base);
    } catch (const Error&) {
    }
    // Gone or damaged: what this copy holds stays; the next save writes it whole again.
    if (!theirs)
        return false;
    UserMerge merge = mergeUserData(base, ours, *theirs);
    base = std::move(merge.base);
    const bool changed = merge.merged != ours;
    ours = std::move(merge.merged);
    stamp = now;
    return changed;
}

}  // namespace horavant
