// Reading and writing benutzer.dat.
#include "store/user_file.h"

#include "store/byte_io.h"
#include "store/counted_strings.h"
#include "store/cp1252.h"
#include "store/error.h"
#include "store/posix_file.h"

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

bool ReloadBenutzerIfChanged(const std::filesystem::path& file, UserData& data, std::optional<FileStamp>& stamp)
{
    const auto now = fileStamp(file);
    if (!now || now == stamp)
        return false;
    UserData fresh = data;
    try {
        LoadBenutzer(file, fresh);
    } catch (const Error&) {
        return false;  // damaged: keep ours; the next save writes it whole again
    }
    data = std::move(fresh);
    stamp = now;
    return true;
}

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

void LoadBenutzer(const std::filesystem::path& file, UserData& data)
{
    // Only a file that is not there means "no users yet": one that is there and cannot be read
    // would otherwise leave the administrator password empty.
    std::optional<std::string> bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const IoError& e) {
        throw PatternError(kUsersUnreadable, {file.string(), std::strerror(e.error())});
    }
    if (!bytes) {
        if (errno == ENOENT)
            return;
        throw PatternError(kUsersUnreadable, {file.string(), std::strerror(errno)});
    }

    // Every value goes into data as soon as it is read, so a damaged file keeps what came before.
    ByteReader in(*bytes, file.string());
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

void SaveBenutzer(const std::filesystem::path& file, const UserData& data)
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
    try {
        if (!saveFileAtomically(file, out.bytes()))
            throw PatternError(kUsersNotSaved, {file.string(), std::strerror(errno)});
    } catch (const IoError& e) {
        throw PatternError(kUsersNotSaved, {file.string(), e.error() != 0 ? std::strerror(e.error()) : e.what()});
    }
}

}  // namespace horavant
