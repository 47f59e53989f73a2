// Reads every field of every record of a table as text, as one whole process: what the table
// layer costs from outside, to be timed against a plain read of the same file.
//
//   scan_table path/to/table.dbf
#include "store/dbf_table.h"
#include "store/error.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scan_table table.dbf\n");
        return 2;
    }
    try {
        const std::filesystem::path path(argv[1]);
        horavant::DbfTable t;
        t.setFolder(path.parent_path());
        t.setTableName(path.filename().string());
        t.Open();
        const int fieldCount = t.fieldCount();
        std::vector<std::u16string> fields(static_cast<std::size_t>(fieldCount));
        std::size_t rows = 0, chars = 0;
        for (t.First(); !t.Eof(); t.Next()) {
            for (int i = 0; i < fieldCount; ++i)
                t.readFieldText(i, fields[static_cast<std::size_t>(i)]);
            chars += fields[1].size();
            ++rows;
        }
        // Something of what was read must leave the process, or the reading could be left out.
        return rows > 0 && chars == 0 ? 1 : 0;
    } catch (const horavant::Error& e) {
        std::fprintf(stderr, "scan_table: %s\n", e.what());
        return 1;
    }
}
