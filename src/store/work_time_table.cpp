// Opening, creating and upgrading the work-time table.
#include "store/work_time_table.h"

#include "store/cp1252.h"
#include "store/error.h"
#include "store/posix_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace horavant {

void defineWorkTimeFields(DbfTable& table, const MessageLookup& messageText, const MessageLookup& germanText)
{
    table.clearFieldDefs();
    for (const auto& f : worktime::kSchema) {
        std::u16string name = messageText(f.message);
        if (name.find_first_not_of(u" \t\r\n") == std::u16string::npos)
            name = germanText(f.message);
        table.addFieldDef(std::move(name), f.type, f.width);
    }
}

void CreateandopenTables(DbfTable& dbf1, DbfTable& dbf2, const MessageLookup& messageText,
                         const MessageLookup& germanText, const BeforeUpgrade& beforeUpgrade)
{
    defineWorkTimeFields(dbf1, messageText, germanText);
    const int defined = static_cast<int>(dbf1.fieldDefs().size());
    std::error_code ec;
    if (!std::filesystem::exists(dbf1.path(), ec) && !ec) {
        dbf1.CreateTable();
    }
    try {
        dbf1.Open();
    } catch (const AbortError&) {
        // A header with a zero length: the file is there but is no table we can use.
        throw Error("Invalid DBF file.");
    }
    if (dbf1.fieldCount() < defined)
        Feldhinzufgen1Click(dbf1, dbf2, messageText, germanText, beforeUpgrade);
}

void Feldhinzufgen1Click(DbfTable& dbf1, DbfTable& dbf2, const MessageLookup& messageText,
                         const MessageLookup& germanText, const BeforeUpgrade& beforeUpgrade)
{
    defineWorkTimeFields(dbf2, messageText, germanText);
    dbf2.setFolder(dbf1.folder());
    dbf2.setTableName(worktime::kScratchName);
    dbf2.CreateTable();
    dbf2.Open();
    dbf2.beginBulk();

    const int oldFields = dbf1.fieldCount();
    std::vector<std::u16string> values(static_cast<std::size_t>(oldFields));
    try {
        for (dbf1.First(); !dbf1.Eof(); dbf1.Next()) {
            for (int i = 0; i < oldFields && i < dbf2.fieldCount(); ++i)
                dbf1.readFieldText(i, values[static_cast<std::size_t>(i)]);
            dbf2.AppendRecord(values);
        }
        dbf2.endBulk();
        dbf2.Close();
    } catch (...) {
        try {
            dbf2.Close();
        } catch (...) {
        }
        throw;
    }
    if (beforeUpgrade)
        beforeUpgrade(dbf2.path());
    dbf1.Close();

    const std::filesystem::path folder = dbf1.folder();
    const auto table = folder / worktime::kTableName;
    const auto scratch = folder / worktime::kScratchName;
    const auto backup = folder / worktime::kBackupName;
    // Keep the old table as the backup, unless an earlier backup has that name.
    const bool backedUp = renameNoReplace(table, backup);
    // The new table takes the old one's place in one step (rename replaces), so the folder never
    // lacks a table holding every record.
    if (::rename(scratch.c_str(), table.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        if (backedUp)
            renameNoReplace(backup, table);
        throw Error(formatMessage("The upgraded table \"%s\" could not be put in place of \"%s\": %s.",
                                  {scratch.string(), table.string(), reason}));
    }
    syncDirectory(folder);
    dbf1.Open();
}

bool Dbf1FilterRecord(const DbfTable& table, std::u16string_view arbeiter)
{
    // The stored bytes are compared, so a filter over a large table decodes nothing.
    return cp1252::decodesTo(table.fieldBytes(workfield::kEmployee), arbeiter);
}

}  // namespace horavant
