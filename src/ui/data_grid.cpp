// Grid, navigator and model working together.
#include "ui/data_grid.h"

#include "ui/error_report.h"
#include "ui/window_setup.h"
#include "ui/work_time_model.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace horavant {
namespace {

// Tells the model when a cell editor opens, so that an edit compares the row as it is stored then
// with the row the user typed over.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(WorkTimeModel* model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        m_model->noteEditStart(index.row());
        QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    WorkTimeModel* m_model;
};

}  // namespace

DataGrid::DataGrid(QTableView* grid, DbNavigator* navigator, WorkTimeModel* model, std::function<bool()> confirmDelete,
                   QWidget* window)
    : QObject(window),
      m_grid(grid),
      m_navigator(navigator),
      m_model(model),
      m_confirmDelete(std::move(confirmDelete)),
      m_window(window)
{
    // Fixed row heights keep a grid over a million rows as quick as a small one.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setDefaultSectionSize(110);
    sizeHeadersWhenShown(m_grid, {m_grid->horizontalHeader(), m_grid->verticalHeader()});
    m_grid->setItemDelegate(new CellDelegate(m_model, this));
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    // The grids share one model; a view keeps a record of every row it is told of (eight bytes
    // each, 80 MB over ten million), so only a shown grid is bound to the model.
    m_grid->installEventFilter(this);
    connect(m_navigator, &DbNavigator::clicked, this, &DataGrid::press);
    connect(m_model, &WorkTimeModel::rowRefused, this, [this](int row, int field) { m_refused = {row, field}; });
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::updateButtons);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DataGrid::updateButtons);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DataGrid::updateButtons);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &DataGrid::updateButtons);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, &DataGrid::updateButtons);
    updateButtons();
}

bool DataGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && m_grid->model() != m_model)
        bindModel(true);
    else if (event->type() == QEvent::Hide && m_grid->model())
        bindModel(false);
    return QObject::eventFilter(watched, event);
}

void DataGrid::bindModel(bool bound)
{
    QItemSelectionModel* old = m_grid->selectionModel();
    m_grid->setModel(bound ? m_model : nullptr);
    delete old;
    if (bound) {
        for (int column : m_hiddenColumns)
            m_grid->setColumnHidden(column, true);
        connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current, const QModelIndex& previous) {
                    onCurrentRowChanged(current.row(), previous.row());
                });
    }
}

void DataGrid::hideColumn(int column)
{
    if (std::find(m_hiddenColumns.begin(), m_hiddenColumns.end(), column) == m_hiddenColumns.end())
        m_hiddenColumns.push_back(column);
    m_grid->setColumnHidden(column, true);
}

int DataGrid::currentRow() const
{
    return m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : -1;
}

void DataGrid::goToRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int column = std::max(0, m_grid->currentIndex().column());
    m_grid->setCurrentIndex(m_model->index(row, column));
    m_grid->scrollTo(m_model->index(row, column));
}

void DataGrid::onCurrentRowChanged(int current, int previous)
{
    if (m_moving)
        return;
    const auto editing = m_model->editingRow();
    if (editing && *editing != current) {
        if (!guarded(m_window, [this] { m_model->leaveRow(); })) {
            // The row could not be written: stay on it so the user can correct or cancel.
            m_moving = true;
            goToRow(editing.value_or(previous));
            m_moving = false;
            goToRefused();
        }
    }
    updateButtons();
}

void DataGrid::goToRefused()
{
    if (!m_refused)
        return;
    const QModelIndex cell = m_model->index(m_refused->first, m_refused->second);
    m_refused.reset();
    if (!cell.isValid())
        return;
    m_moving = true;
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
    m_moving = false;
}

void DataGrid::closeEditor(bool commit)
{
    const QModelIndex current = m_grid->currentIndex();
    QWidget* editor = current.isValid() ? m_grid->indexWidget(current) : nullptr;
    if (!editor)
        return;
    QAbstractItemDelegate* delegate = m_grid->itemDelegateForIndex(current);
    // An open cell editor hands its text to the model first (or drops it), as on leaving the cell.
    if (commit)
        emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DataGrid::postPending()
{
    closeEditor(true);
    try {
        m_model->leaveRow();
    } catch (...) {
        goToRefused();
        throw;
    }
    updateButtons();
}

void DataGrid::press(DbNavigator::Button button)
{
    guarded(m_window, [&] {
        const int row = currentRow();
        const int last = m_model->rowCount() - 1;
        switch (button) {
        case DbNavigator::First: goToRow(0); break;
        case DbNavigator::Prior: goToRow(std::max(0, row - 1)); break;
        case DbNavigator::Next: goToRow(row < 0 ? 0 : std::min(last, row + 1)); break;
        case DbNavigator::Last: goToRow(last); break;
        case DbNavigator::Insert:
            postPending();
            m_model->insertRow();
            goToRow(m_model->rowCount() - 1);
            m_grid->edit(m_grid->currentIndex());
            break;
        case DbNavigator::Delete:
            if (row >= 0 && m_confirmDelete()) {
                m_moving = true;
                m_model->deleteRow(row);
                m_moving = false;
                goToRow(std::min(row, m_model->rowCount() - 1));
            }
            break;
        case DbNavigator::Edit:
            if (row >= 0) {
                m_model->beginEdit(row);
                m_grid->edit(m_grid->currentIndex());
            }
            break;
        case DbNavigator::Post:
            // Asked for in so many words: stored even when nothing was typed.
            closeEditor(true);
            m_model->post();
            break;
        case DbNavigator::Cancel:
            closeEditor(false);
            m_moving = true;
            m_model->cancel();
            m_moving = false;
            break;
        case DbNavigator::Refresh:
            m_model->refresh();
            goToRow(std::min(std::max(row, 0), m_model->rowCount() - 1));
            break;
        }
    });
    m_moving = false;
    goToRefused();
    updateButtons();
}

void DataGrid::updateButtons()
{
    const int rows = m_model->rowCount();
    const int row = currentRow();
    const bool editing = m_model->editingRow().has_value();
    const bool writable = !m_model->readOnly();
    m_navigator->setButtonEnabled(DbNavigator::First, rows > 0 && row != 0);
    m_navigator->setButtonEnabled(DbNavigator::Prior, rows > 0 && row != 0);
    m_navigator->setButtonEnabled(DbNavigator::Next, rows > 0 && row != rows - 1);
    m_navigator->setButtonEnabled(DbNavigator::Last, rows > 0 && row != rows - 1);
    m_navigator->setButtonEnabled(DbNavigator::Insert, writable);
    m_navigator->setButtonEnabled(DbNavigator::Delete, writable && rows > 0);
    m_navigator->setButtonEnabled(DbNavigator::Edit, writable && rows > 0 && !editing);
    m_navigator->setButtonEnabled(DbNavigator::Post, writable && editing);
    m_navigator->setButtonEnabled(DbNavigator::Cancel, writable && editing);
    m_navigator->setButtonEnabled(DbNavigator::Refresh, true);
}

}  // namespace horavant
