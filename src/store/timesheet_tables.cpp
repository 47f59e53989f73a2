// Reading and writing the rows of sollzeit.dbf and abwesend.dbf.
#include "store/timesheet_tables.h"

#include "store/dbf_table.h"
#include "store/text.h"

#include <optional>

namespace horavant {
namespace {

std::filesystem::path tablePath(const std::filesystem::path& folder, const TableSchema& schema)
{
    return folder / schema.fileName;
}

void defineFields(DbfTable& table, const TableSchema& schema)
{
    table.clearFieldDefs();
    for (const FixedField& f : schema.fields)
        table.addFieldDef(std::u16string(f.name), FieldType::Character, f.width);
}

// An open table of the schema, its fields found by name.
class SchemaTable {
public:
    SchemaTable(const std::filesystem::path& folder, const TableSchema& schema)
    {
        m_table.setFolder(folder);
        m_table.setTableName(schema.fileName);
        const std::string file = tablePath(folder, schema).string();
        try {
            m_table.Open();
        } catch (const AbortError&) {
            throw TableFileError(kTableDamaged, {file, "Invalid DBF file."});
        } catch (const Error& e) {
            throw TableFileError(kTableDamaged, {file, e.what()});
        }
        for (const FixedField& wanted : schema.fields) {
            int found = -1;
            for (int i = 0; i < m_table.fieldCount() && found < 0; ++i) {
                if (m_table.field(i).name == wanted.name)
                    found = i;
            }
            if (found < 0)
                throw TableFileError(kTableLacksField, {file, toUtf8(wanted.name)});
            m_positions.push_back(found);
        }
    }
    ~SchemaTable()
    {
        try {
            m_table.Close();
        } catch (...) {
        }
    }
    SchemaTable(const SchemaTable&) = delete;
    SchemaTable& operator=(const SchemaTable&) = delete;

    DbfTable& table() { return m_table; }

    std::vector<std::u16string> currentTexts() const
    {
        std::vector<std::u16string> texts(m_positions.size());
        for (std::size_t i = 0; i < m_positions.size(); ++i)
            m_table.readFieldText(m_positions[i], texts[i]);
        return texts;
    }

    std::vector<StoredRow> rows()
    {
        std::vector<StoredRow> result;
        for (m_table.First(); !m_table.Eof(); m_table.Next())
            result.push_back({m_table.recNo(), currentTexts()});
        return result;
    }

    // Into the current record, which is being edited or appended.
    void setTexts(const std::vector<std::u16string>& texts)
    {
        for (std::size_t i = 0; i < m_positions.size() && i < texts.size(); ++i)
            m_table.setFieldText(m_positions[i], texts[i]);
    }

    // Runs `write` while no other copy can append, with the rows as they are now.
    RowWrite underAppendLock(const std::function<RowWrite(std::vector<StoredRow>&)>& write)
    {
        RowWrite result = RowWrite::Done;
        m_table.withAppendLock(true, [&](int) {
            m_table.Refresh();
            std::vector<StoredRow> current = rows();
            result = write(current);
        });
        return result;
    }

    // Makes `old` the current record when it still holds what was read.
    bool find(const StoredRow& old, std::vector<StoredRow>& rows)
    {
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (*it == old) {
                rows.erase(it);
                return m_table.gotoRecord(old.record);
            }
        }
        return false;
    }

private:
    DbfTable m_table;
    std::vector<int> m_positions;
};

bool fileExists(const std::filesystem::path& file)
{
    std::error_code ec;
    return std::filesystem::exists(file, ec) || ec;
}

// Stores the texts into the record being appended or edited; a failure leaves the table as it was.
RowWrite postTexts(SchemaTable& t, const std::vector<std::u16string>& texts)
{
    try {
        t.setTexts(texts);
        t.table().Post();
    } catch (...) {
        t.table().Cancel();
        throw;
    }
    return RowWrite::Done;
}

}  // namespace

TableFileError::TableFileError(std::string pattern, std::vector<std::string> details)
    : Error(formatMessageArgs(pattern, details)), m_pattern(std::move(pattern)), m_details(std::move(details))
{
}

void createTableIfMissing(const std::filesystem::path& folder, const TableSchema& schema)
{
    if (fileExists(tablePath(folder, schema)))
        return;
    DbfTable table;
    table.setFolder(folder);
    table.setTableName(schema.fileName);
    defineFields(table, schema);
    table.CreateTable();
}

std::vector<StoredRow> readTableRows(const std::filesystem::path& folder, const TableSchema& schema)
{
    if (!fileExists(tablePath(folder, schema)))
        return {};
    SchemaTable t(folder, schema);
    return t.rows();
}

RowWrite appendTableRow(const std::filesystem::path& folder, const TableSchema& schema,
                        const std::vector<std::u16string>& texts, const RowsCheck& check)
{
    createTableIfMissing(folder, schema);
    SchemaTable t(folder, schema);
    return t.underAppendLock([&](std::vector<StoredRow>& rows) {
        if (check && !check(rows))
            return RowWrite::Refused;
        t.table().Append();
        return postTexts(t, texts);
    });
}

RowWrite replaceTableRow(const std::filesystem::path& folder, const TableSchema& schema, const StoredRow& old,
                         const std::vector<std::u16string>& texts, const RowsCheck& check)
{
    SchemaTable t(folder, schema);
    return t.underAppendLock([&](std::vector<StoredRow>& rows) {
        if (!t.find(old, rows))
            return RowWrite::Gone;
        if (check && !check(rows))
            return RowWrite::Refused;
        DbfTable& table = t.table();
        table.Edit();
        // Edit read the record again under its lock.
        if (t.currentTexts() != old.texts) {
            table.Cancel();
            return RowWrite::Gone;
        }
        return postTexts(t, texts);
    });
}

RowWrite deleteTableRow(const std::filesystem::path& folder, const TableSchema& schema, const StoredRow& old)
{
    SchemaTable t(folder, schema);
    return t.underAppendLock([&](std::vector<StoredRow>& rows) {
        if (!t.find(old, rows))
            return RowWrite::Gone;
        t.table().Delete();
        return RowWrite::Done;
    });
}

}  // namespace horavant
