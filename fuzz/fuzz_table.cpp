// Fuzzes opening a table file: open, read every field of every record, append one record.
#include "store/dbf_table.h"
#include "store/error.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path workFolder()
{
    static const std::filesystem::path dir = [] {
        // tmpfs where there is one: the table layer syncs every write.
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm"
                                                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "horavant-fuzz-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(pattern.data()));
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto dir = workFolder();
    const auto file = dir / "fuzz.dbf";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    horavant::DbfTable table;
    table.setFolder(dir);
    table.setTableName("fuzz.dbf");
    try {
        table.Open();
        table.beginBulk();
        std::u16string text;
        for (std::size_t n = 0; n < table.visibleCount(); ++n)
            table.peekRecord(table.visibleRecord(n));
        for (table.First(); !table.Eof(); table.Next()) {
            for (int i = 0; i < table.fieldCount(); ++i)
                table.readFieldText(i, text);
        }
        std::vector<std::u16string> values(static_cast<std::size_t>(table.fieldCount()), u"True");
        table.AppendRecord(values);
        table.Close();
    } catch (const horavant::Error&) {
    }
    return 0;
}
