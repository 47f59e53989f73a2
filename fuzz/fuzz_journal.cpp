// Fuzzes protokoll.txt: the check against a small table, the window's pages and the tail; an entry
// appended to whatever the file holds must then be the file's last whole entry.
#include "journal/journal_check.h"
#include "journal/journal_view.h"
#include "store/dbf_table.h"

#include "work_folder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

const std::filesystem::path& table()
{
    static const std::filesystem::path file = [] {
        horavant::DbfTable t;
        t.setFolder(horavant::fuzz::workFolder());
        t.setTableName("arbeitszeit.dbf");
        t.addFieldDef(u"Datum", horavant::FieldType::Character, 10);
        t.addFieldDef(u"Arbeiter", horavant::FieldType::Character, 45);
        t.CreateTable();
        t.Open();
        for (const char16_t* name : {u"Meier", u"Schulz", u"Keller"})
            t.AppendRecord({u"01.03.2012", name});
        t.Close();
        return t.path();
    }();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace horavant::journal;
    const auto file = horavant::fuzz::workFolder() / kFileName;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    checkJournal(file, table());
    Pages pages(file);
    while (!pages.older(16, Filter {}).empty()) {
    }
    JournalWriter writer(file);
    std::vector<Entry> entries(1);
    entries[0].action = kChanged;
    writer.append(entries);
    const auto tail = readTail(file);
    if (!tail || tail->number != entries[0].number || tail->chain != entries[0].chain)
        std::abort();
    return 0;
}
