// A text grid over cells read on demand: row 0 is the fixed header row, shown as the column
// headers, the other rows come from a cell source; column 0 can be frozen in view.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <vector>

namespace horavant {

class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using CellSource = std::function<QString(int row, int column)>;

    explicit StringGridModel(int columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setCellSource(CellSource source) { m_source = std::move(source); }
    void setRowCount(int rows);
    // Rows added at the end, keeping the current cell and the selection; never fewer rows.
    void growTo(int rows);
    void setHeaderText(int column, const QString& text);
    const QString& headerText(int column) const { return m_header[static_cast<std::size_t>(column)]; }
    // The source changed a cell: the views read it again.
    void cellChanged(int row, int column);

private:
    int m_rows = 1;
    std::vector<QString> m_header;
    CellSource m_source;
};

class StringGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int kColumns = 30;
    static constexpr int kColumnWidth = 250;

    explicit StringGrid(QWidget* parent = nullptr);

    StringGridModel& cells() { return m_model; }
    // The header row counts as row 0.
    int rowCount() const { return m_model.rowCount(); }
    void setRowCount(int rows);
    QString cellText(int row, int column) const;
    bool editing() const { return state() == EditingState; }
    // Column 0 stays in view while scrolling sideways.
    void setFixedColumn(bool fixed);
    bool hasFixedColumn() const;
    // Selects one cell and scrolls it to the top left of the view.
    void selectCell(int row, int column);

signals:
    // Every change of the text being edited, each keystroke included.
    void editTextChanged(int row, int column, const QString& text);
    // A key pressed in the grid while no cell is being edited.
    void keyDown(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

private:
    void placeFixedColumn();
    void hideHeaderRow();

    StringGridModel m_model;
    QTableView* m_fixed = nullptr;
};

}  // namespace horavant
