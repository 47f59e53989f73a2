// The text grid.
#include "ui/string_grid.h"

#include "ui/window_setup.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace horavant {
namespace {

// Reports every edit as it is typed, and the text the cell had when Escape cancels the edit
// (the typed text went to the source already). The source is changed only through the report.
class LiveEditDelegate : public QStyledItemDelegate {
public:
    explicit LiveEditDelegate(StringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const QPersistentModelIndex at(index);
        connect(editor, &QLineEdit::textEdited, m_grid, [grid = m_grid, at](const QString& text) {
            if (at.isValid())
                emit grid->editTextChanged(at.row(), at.column(), text);
        });
        editor->setProperty("cellRow", index.row());
        editor->setProperty("cellColumn", index.column());
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // Every keystroke changes the cell and so calls this again: only the first call counts,
        // or the cursor would jump to the end and Escape would know no text to go back to.
        auto* line = static_cast<QLineEdit*>(editor);
        if (line->property("originalText").isValid())
            return;
        const QString text = index.data(Qt::EditRole).toString();
        line->setText(text);
        line->setProperty("originalText", text);
    }

    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* line = qobject_cast<QLineEdit*>(object);
        if (line && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            const QString original = line->property("originalText").toString();
            if (line->text() != original)
                emit m_grid->editTextChanged(line->property("cellRow").toInt(), line->property("cellColumn").toInt(),
                                             original);
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    StringGrid* m_grid;
};

}  // namespace

StringGridModel::StringGridModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), m_header(static_cast<std::size_t>(columns))
{
}

int StringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_header.size());
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (index.row() == 0)
        return headerText(index.column());
    return m_source ? m_source(index.row(), index.column()) : QString();
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    return headerText(section);
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // The header row is fixed: shown, never selected or edited.
    if (index.row() == 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void StringGridModel::setRowCount(int rows)
{
    beginResetModel();
    m_rows = std::max(rows, 1);
    endResetModel();
}

void StringGridModel::growTo(int rows)
{
    if (rows <= m_rows)
        return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

void StringGridModel::setHeaderText(int column, const QString& text)
{
    if (column < 0 || column >= columnCount() || m_header[static_cast<std::size_t>(column)] == text)
        return;
    m_header[static_cast<std::size_t>(column)] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
    emit dataChanged(index(0, column), index(0, column), {Qt::DisplayRole, Qt::EditRole});
}

void StringGridModel::cellChanged(int row, int column)
{
    if (row >= 0 && row < m_rows && column >= 0 && column < columnCount())
        emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole, Qt::EditRole});
}

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), m_model(kColumns, this)
{
    // Hidden before the model comes, or the first header sizing would happen now.
    verticalHeader()->hide();
    sizeHeadersWhenShown(this, {horizontalHeader()});
    setModel(&m_model);
    setItemDelegate(new LiveEditDelegate(this));
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setHorizontalScrollMode(ScrollPerPixel);
    setWordWrap(false);
    // Fixed row heights keep a store of 100,000 rows as quick as a small one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(true);

    // The frozen first column is a second view over the same model, laid over this one.
    m_fixed = new QTableView(this);
    m_fixed->verticalHeader()->hide();
    sizeHeadersWhenShown(m_fixed, {m_fixed->horizontalHeader()});
    m_fixed->setModel(&m_model);
    // A delegate serves one view: its close and commit signals reach every view it is set on.
    m_fixed->setItemDelegate(new LiveEditDelegate(this));
    m_fixed->setSelectionModel(selectionModel());
    m_fixed->setSelectionMode(ContiguousSelection);
    m_fixed->setEditTriggers(DoubleClicked | EditKeyPressed);
    m_fixed->setFocusPolicy(Qt::NoFocus);
    m_fixed->setWordWrap(false);
    m_fixed->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fixed->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_fixed->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fixed->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    m_fixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setFrameShape(QFrame::NoFrame);
    for (int c = 1; c < kColumns; ++c)
        m_fixed->setColumnHidden(c, true);
    viewport()->stackUnder(m_fixed);
    m_fixed->hide();
    connect(m_fixed->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_fixed->verticalScrollBar(),
            &QAbstractSlider::setValue);
    hideHeaderRow();
}

void StringGrid::setRowCount(int rows)
{
    m_model.setRowCount(rows);
    hideHeaderRow();
}

void StringGrid::hideHeaderRow()
{
    // Row 0 is shown by the column headers, which stay in view while scrolling down.
    setRowHidden(0, true);
    m_fixed->setRowHidden(0, true);
}

QString StringGrid::cellText(int row, int column) const
{
    return m_model.data(m_model.index(row, column), Qt::DisplayRole).toString();
}

void StringGrid::setFixedColumn(bool fixed)
{
    m_fixed->setVisible(fixed);
    if (!fixed)
        return;
    placeFixedColumn();
    // A hidden view keeps its scroll range at nothing, so it missed any scrolling of the grid
    // before it showed: it starts on the grid's row.
    QScrollBar* own = m_fixed->verticalScrollBar();
    own->setRange(verticalScrollBar()->minimum(), verticalScrollBar()->maximum());
    own->setValue(verticalScrollBar()->value());
}

bool StringGrid::hasFixedColumn() const
{
    return !m_fixed->isHidden();
}

void StringGrid::placeFixedColumn()
{
    m_fixed->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                         viewport()->height() + horizontalHeader()->height());
}

void StringGrid::selectCell(int row, int column)
{
    const QModelIndex at = m_model.index(row, column);
    if (!at.isValid())
        return;
    // The header row cannot be selected; its column header is marked instead.
    setCurrentIndex(at);
    selectionModel()->select(at, QItemSelectionModel::ClearAndSelect);
    if (row == 0)
        verticalScrollBar()->setValue(0);
    else
        QTableView::scrollTo(at, PositionAtTop);
    // The column becomes the left one in view, next to the frozen column when there is one.
    const int frozen = hasFixedColumn() && column > 0 ? columnWidth(0) : 0;
    horizontalScrollBar()->setValue(columnViewportPosition(column) + horizontalOffset() - frozen);
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    if (!editing())
        emit keyDown(event->key());
    // Delete outside an edit belongs to the owner (it deletes the row), never to a cell.
    if (event->key() == Qt::Key_Delete && !editing())
        return;
    QTableView::keyPressEvent(event);
}

void StringGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    if (hasFixedColumn())
        placeFixedColumn();
}

QModelIndex StringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    // Keep a cell that moves left under the frozen column in view.
    if (hasFixedColumn() && action == MoveLeft && current.column() > 0
        && visualRect(current).topLeft().x() < m_fixed->columnWidth(0)) {
        const int target = horizontalScrollBar()->value() + visualRect(current).topLeft().x() - m_fixed->columnWidth(0);
        horizontalScrollBar()->setValue(target);
    }
    return current;
}

void StringGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    // Column 0 is always in view while it is frozen; scrolling to it must not move the rest.
    if (index.column() > 0 || !hasFixedColumn())
        QTableView::scrollTo(index, hint);
}

}  // namespace horavant
