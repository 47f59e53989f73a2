// The work-time table model.
#include "ui/work_time_model.h"

#include "store/dbf_table.h"
#include "store/error.h"
#include "ui/error_report.h"

namespace horavant {

WorkTimeModel::WorkTimeModel(DbfTable& table, QObject* parent) : QAbstractTableModel(parent), m_table(table)
{
    m_rows = countRows();
}

int WorkTimeModel::countRows() const
{
    if (!m_table.active() || m_stale)
        return 0;
    const auto visible = static_cast<int>(m_table.visibleCount());
    return visible + (m_table.state() == TableState::Insert ? 1 : 0);
}

int WorkTimeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int WorkTimeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_table.active() ? 0 : m_table.fieldCount();
}

bool WorkTimeModel::isInserting() const
{
    return m_table.active() && m_table.state() == TableState::Insert;
}

bool WorkTimeModel::readOnly() const
{
    return m_table.readOnly();
}

std::optional<int> WorkTimeModel::editingRow() const
{
    if (const auto row = bufferRow())
        return row;
    return unstoredRow();
}

std::optional<int> WorkTimeModel::unstoredRow() const
{
    if (!m_unstored || !m_table.active())
        return std::nullopt;
    if (const auto row = m_table.visibleIndexOf(m_unstored->record))
        return static_cast<int>(*row);
    return std::nullopt;
}

std::optional<int> WorkTimeModel::bufferRow() const
{
    if (isInserting())
        return m_rows - 1;
    if (m_table.active() && m_table.state() == TableState::Edit && m_editRecord) {
        if (auto row = m_table.visibleIndexOf(*m_editRecord))
            return static_cast<int>(*row);
    }
    return std::nullopt;
}

QVariant WorkTimeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    try {
        if (m_unstored && unstoredRow() == index.row()) {
            for (const auto& [field, text] : m_unstored->cells) {
                if (field == index.column())
                    return QString::fromStdU16String(text);
            }
        }
        const auto editing = bufferRow();
        if (editing && *editing == index.row())
            return QString::fromStdU16String(m_table.fieldText(index.column()));
        const auto record = m_table.visibleRecord(static_cast<std::size_t>(index.row()));
        return QString::fromStdU16String(m_table.fieldTextOf(m_table.peekRecord(record), index.column()));
    } catch (const std::exception&) {
        // A record that cannot be read (the file changed under us) shows empty; refresh re-reads.
        return {};
    }
}

QVariant WorkTimeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (!m_table.active() || section < 0 || section >= m_table.fieldCount())
            return {};
        // The stored names are in the language the table was created in.
        if (static_cast<std::size_t>(section) < m_titles.size())
            return m_titles[static_cast<std::size_t>(section)];
        return QString::fromStdU16String(m_table.field(section).name);
    }
    if (isInserting() && section == m_rows - 1)
        return QStringLiteral("*");
    return section + 1;
}

Qt::ItemFlags WorkTimeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!m_table.readOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

bool WorkTimeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || m_table.readOnly())
        return false;
    bool set = false;
    guarded(nullptr, [&] {
        const std::u16string text = value.toString().toStdU16String();
        if (m_textCheck && !m_textCheck(index.column(), text))
            return;
        const auto editing = bufferRow();
        if (!editing || *editing != index.row()) {
            const EditStart started = startEdit(index.row(), std::pair {index.column(), text});
            if (started == EditStart::Locked) {
                // Kept in the cell, to be stored once the other copy lets go of the row.
                if (!m_unstored) {
                    const auto record = m_table.visibleRecord(static_cast<std::size_t>(index.row()));
                    m_unstored = Unstored {record, {}};
                }
                std::erase_if(m_unstored->cells, [&](const auto& cell) { return cell.first == index.column(); });
                m_unstored->cells.emplace_back(index.column(), text);
                emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
                emit headerDataChanged(Qt::Vertical, index.row(), index.row());
                reportLocked();
            }
        }
        // Leaving the previous row may have taken this one away (a dropped or filtered-out row).
        if (bufferRow() != index.row())
            return;
        // A cell editor that closes hands back its text unchanged: that is no typing.
        if (isInserting() && m_table.fieldText(index.column()) != text)
            m_insertTyped = true;
        m_table.setFieldText(index.column(), text);
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        set = true;
    });
    return set;
}

void WorkTimeModel::beginEdit(int row)
{
    switch (startEdit(row, std::nullopt)) {
    case EditStart::Started: return;
    case EditStart::Locked: reportLocked();
    case EditStart::Deleted:
    case EditStart::Declined: throw AbortError();
    }
}

WorkTimeModel::EditStart WorkTimeModel::startEdit(int row, std::optional<std::pair<int, std::u16string>> typed)
{
    const auto editing = editingRow();
    if (editing && *editing == row && bufferRow())
        return EditStart::Started;
    if (editing && *editing != row)
        leaveRow();
    if (row >= m_rows)
        return EditStart::Declined;  // the row was the inserted one, dropped as it was left
    const auto record = m_table.visibleRecord(static_cast<std::size_t>(row));
    try {
        if (!m_table.gotoRecord(record))
            throw RecordDeletedError();
        m_table.Edit();
    } catch (const RecordLockedError&) {
        return EditStart::Locked;
    } catch (const RecordDeletedError&) {
        rowDeletedElsewhere();
        return EditStart::Deleted;
    }
    // Typed while another copy held the row: asked about as the text typed last.
    const bool unstored = m_unstored && m_unstored->record == record;
    if (!typed && unstored && !m_unstored->cells.empty())
        typed = m_unstored->cells.back();
    const std::size_t length = m_table.recordLength();
    const std::span<const std::uint8_t> now = m_table.recordBytes().first(length);
    if (typed && m_startedFrom && m_startedFrom->record == record
        && !std::equal(now.begin(), now.end(), m_startedFrom->bytes.begin())) {
        std::vector<std::u16string> nowTexts, shownTexts;
        for (int field = 0; field < m_table.fieldCount(); ++field) {
            nowTexts.push_back(m_table.fieldText(field));
            shownTexts.push_back(m_table.fieldTextOf(m_startedFrom->bytes, field));
        }
        if (!m_conflicts.changed || !m_conflicts.changed(nowTexts, shownTexts, typed->first, typed->second)) {
            m_table.Cancel();
            m_startedFrom.reset();
            m_unstored.reset();
            emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
            emit headerDataChanged(Qt::Vertical, row, row);
            return EditStart::Declined;
        }
    }
    m_startedFrom.reset();
    m_editRecord = record;
    if (unstored) {
        for (const auto& [field, text] : m_unstored->cells)
            m_table.setFieldText(field, text);
    }
    m_unstored.reset();
    emit headerDataChanged(Qt::Vertical, row, row);
    return EditStart::Started;
}

void WorkTimeModel::reportLocked()
{
    if (!m_conflicts.locked)
        throw RecordLockedError();
    m_conflicts.locked();
    throw AbortError();
}

void WorkTimeModel::rowDeletedElsewhere()
{
    if (m_conflicts.deleted)
        m_conflicts.deleted();
    m_unstored.reset();
    m_startedFrom.reset();
    refreshTable();
}

void WorkTimeModel::noteEditStart(int row)
{
    if (!m_table.active() || row < 0 || row >= m_rows || bufferRow() || (isInserting() && row == m_rows - 1))
        return;
    // Typed into while another copy held it: the row still starts from what was shown first.
    if (m_unstored && unstoredRow() == row)
        return;
    try {
        const auto record = m_table.visibleRecord(static_cast<std::size_t>(row));
        const std::span<const std::uint8_t> bytes = m_table.peekRecord(record);
        StartedFrom started {record, {bytes.begin(), bytes.end()}};
        started.bytes.resize(bytes.size() + dbf::kReadSlack, ' ');
        m_startedFrom = std::move(started);
    } catch (const std::exception&) {
        m_startedFrom.reset();
    }
}

void WorkTimeModel::takeInAppended()
{
    if (!m_table.active())
        return;
    m_table.takeInAppended();
    // The table may have taken them in for a scan already; the rows are counted either way.
    if (!m_stale && countRows() != m_rows)
        reload();
}

void WorkTimeModel::insertRow()
{
    if (editingRow())
        leaveRow();
    if (m_table.readOnly()) {
        m_table.Append();  // refuses with the table's message
        return;
    }
    beginInsertRows({}, m_rows, m_rows);
    try {
        m_table.Append();
        for (const auto& [field, text] : m_insertDefaults)
            m_table.setFieldText(field, text);
    } catch (...) {
        if (m_table.state() == TableState::Insert)
            m_table.Cancel();
        endInsertRows();
        reload();
        throw;
    }
    ++m_rows;
    m_insertTyped = false;
    endInsertRows();
}

void WorkTimeModel::post()
{
    const auto editing = editingRow();
    if (!editing)
        return;
    if (!bufferRow()) {
        // Typed while another copy held the row: stored now, if it lets go of it.
        switch (startEdit(*editing, std::nullopt)) {
        case EditStart::Started: break;
        case EditStart::Locked: reportLocked();
        case EditStart::Deleted:
        case EditStart::Declined: throw AbortError();
        }
    }
    if (m_rowCheck) {
        std::vector<std::u16string> row;
        for (int field = 0; field < m_table.fieldCount(); ++field)
            row.push_back(m_table.fieldText(field));
        if (const auto field = m_rowCheck(row)) {
            emit rowRefused(*editing, *field);
            throw AbortError();
        }
    }
    m_table.Post();
    m_editRecord.reset();
    reconcile(*editing);
}

void WorkTimeModel::leaveRow()
{
    if (isInserting() && !m_insertTyped)
        cancel();
    else
        post();
}

void WorkTimeModel::cancel()
{
    const auto editing = editingRow();
    if (!editing)
        return;
    m_unstored.reset();
    if (!bufferRow()) {
        emit dataChanged(index(*editing, 0), index(*editing, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
        emit headerDataChanged(Qt::Vertical, *editing, *editing);
        return;
    }
    if (isInserting()) {
        m_table.Cancel();
        beginRemoveRows({}, *editing, *editing);
        --m_rows;
        endRemoveRows();
        return;
    }
    m_table.Cancel();
    m_editRecord.reset();
    emit dataChanged(index(*editing, 0), index(*editing, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
}

void WorkTimeModel::deleteRow(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    const auto editing = editingRow();
    if (editing && *editing == row && isInserting()) {
        cancel();
        return;
    }
    if (editing && *editing != row)
        post();
    if (editing && *editing == row)
        cancel();
    if (!m_table.gotoRecord(m_table.visibleRecord(static_cast<std::size_t>(row))))
        return;
    // Views see the rows as they were until the removal begins. A delete the table refuses (a
    // record locked by another copy) has by then taken the row away; the reset brings it back.
    beginRemoveRows({}, row, row);
    try {
        m_table.Delete();
    } catch (const RecordLockedError&) {
        --m_rows;
        endRemoveRows();
        reload();
        reportLocked();
    } catch (...) {
        --m_rows;
        endRemoveRows();
        reload();
        throw;
    }
    --m_rows;
    endRemoveRows();
    if (countRows() != m_rows)
        reload();
}

void WorkTimeModel::refresh()
{
    if (editingRow())
        post();
    refreshTable();
}

void WorkTimeModel::refreshTable()
{
    beginResetModel();
    m_editRecord.reset();
    try {
        m_table.Refresh();
    } catch (...) {
        m_rows = countRows();
        endResetModel();
        throw;
    }
    m_rows = countRows();
    endResetModel();
}

void WorkTimeModel::reloadLater()
{
    m_stale = true;
    reset();
}

void WorkTimeModel::reloadIfStale()
{
    if (m_stale)
        reload();
}

void WorkTimeModel::reload()
{
    m_stale = false;
    reset();
}

void WorkTimeModel::reset()
{
    beginResetModel();
    if (m_table.state() != TableState::Edit)
        m_editRecord.reset();
    m_rows = countRows();
    endResetModel();
}

void WorkTimeModel::reconcile(int row)
{
    // After a post the row is a stored record; it may have left a filtered view, and another
    // copy of the program may have appended meanwhile.
    const int now = countRows();
    if (now == m_rows) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::EditRole});
        emit headerDataChanged(Qt::Vertical, row, row);
    } else if (now == m_rows - 1 && row == m_rows - 1) {
        beginRemoveRows({}, row, row);
        --m_rows;
        endRemoveRows();
    } else {
        reload();
    }
}

void WorkTimeModel::setColumnTitles(std::vector<QString> titles)
{
    m_titles = std::move(titles);
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void WorkTimeModel::setInsertDefaults(std::vector<std::pair<int, std::u16string>> defaults)
{
    m_insertDefaults = std::move(defaults);
}

}  // namespace horavant
