// The item model over the open work-time table: rows read on demand, and data-aware editing
// through the table's edit buffer (one row at a time, written by post, dropped by cancel).
#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace horavant {

class DbfTable;

class WorkTimeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit WorkTimeModel(DbfTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Puts the row into the edit buffer (locking its record) and sets the cell. Errors of the
    // table are reported by the general error report.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The row being edited or inserted, if any, or holding texts typed while another copy of the
    // program held it (stored with the row's next post).
    std::optional<int> editingRow() const;
    bool isInserting() const;
    bool readOnly() const;

    // These throw the table's errors; callers run them inside the error report.
    void beginEdit(int row);
    void insertRow();
    void post();
    void cancel();
    // Leaving the row being edited or inserted: it is written, except an inserted row that
    // nobody typed into, which is dropped (the navigator's post button still stores that one).
    void leaveRow();
    void deleteRow(int row);
    void refresh();

    // Re-reads everything after the table's filter, read-only switch or contents changed.
    void reload();
    // The same for a model that no shown window displays: it stands empty until reloadIfStale.
    // A view, even a hidden one, lays out every row it is told of, which on a large table takes
    // as long as reading it; so rows are counted only for a window that is about to show them.
    void reloadLater();
    void reloadIfStale();

    // Values given to a newly inserted row (field index, text).
    void setInsertDefaults(std::vector<std::pair<int, std::u16string>> defaults);

    // Asked before a row is written, with its texts by field: a check that refuses tells the user
    // and returns the field to correct; the row is not written (post throws AbortError).
    using RowCheck = std::function<std::optional<int>(const std::vector<std::u16string>& row)>;
    void setRowCheck(RowCheck check) { m_rowCheck = std::move(check); }
    // Asked before a typed text goes into a cell: a check that refuses tells the user and returns
    // false; the cell keeps its text.
    using TextCheck = std::function<bool(int field, const std::u16string& text)>;
    void setTextCheck(TextCheck check) { m_textCheck = std::move(check); }
    // The column titles, by field; a field beyond them shows its name.
    void setColumnTitles(std::vector<QString> titles);

    // What the window tells or asks when another copy of the program stands in the way of a row.
    struct RowConflicts {
        // The row is being changed on another computer or in another window; what was typed stays
        // in its cells, to be stored with the row's next post.
        std::function<void()> locked;
        // Another copy deleted the row; the rows are read again after this.
        std::function<void()> deleted;
        // Another copy changed the row since this one showed it: its texts by field now and as
        // shown, and the field and text typed. True writes the typed text over it.
        std::function<bool(const std::vector<std::u16string>& now, const std::vector<std::u16string>& shown, int field,
                           const std::u16string& typed)>
            changed;
    };
    void setRowConflicts(RowConflicts conflicts) { m_conflicts = std::move(conflicts); }
    // A cell editor opens on the row: the row as stored now is what its edit starts from.
    void noteEditStart(int row);
    // Takes in the records another copy appended; the rows are counted again when the table has
    // more than are shown.
    void takeInAppended();

signals:
    // A row the row check refused, and the field to correct.
    void rowRefused(int row, int field);

private:
    enum class EditStart { Started, Locked, Deleted, Declined };
    // Puts the row into the edit buffer; `typed` (field, text) is what the user typed into it.
    EditStart startEdit(int row, std::optional<std::pair<int, std::u16string>> typed);
    // The row in the table's edit buffer.
    std::optional<int> bufferRow() const;
    std::optional<int> unstoredRow() const;
    [[noreturn]] void reportLocked();
    void rowDeletedElsewhere();
    // Reads the table's records afresh and tells the views; drops the pending edit.
    void refreshTable();
    int countRows() const;
    void reset();
    void reconcile(int row);

    DbfTable& m_table;
    int m_rows = 0;
    bool m_stale = false;
    std::optional<std::uint32_t> m_editRecord;
    bool m_insertTyped = false;  // a text of the inserted row was changed after its defaults
    std::vector<std::pair<int, std::u16string>> m_insertDefaults;
    RowCheck m_rowCheck;
    TextCheck m_textCheck;
    std::vector<QString> m_titles;
    RowConflicts m_conflicts;
    // Texts typed into a row another copy held: the record and its cells (field, text).
    struct Unstored {
        std::uint32_t record;
        std::vector<std::pair<int, std::u16string>> cells;
    };
    std::optional<Unstored> m_unstored;
    // A record as a cell editor showed it, with the table's spare bytes after it.
    struct StartedFrom {
        std::uint32_t record;
        std::vector<std::uint8_t> bytes;
    };
    std::optional<StartedFrom> m_startedFrom;
};

}  // namespace horavant
