// Binds a grid, its navigator and the shared work-time model the way a data-aware grid works:
// leaving an edited row, the post button or closing the window writes it; cancel drops it.
#pragma once

#include "ui/db_navigator.h"

#include <QObject>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QTableView;
class QWidget;

namespace horavant {

class WorkTimeModel;

class DataGrid : public QObject {
    Q_OBJECT
public:
    // confirmDelete asks before a row is deleted; true deletes.
    DataGrid(QTableView* grid, DbNavigator* navigator, WorkTimeModel* model, std::function<bool()> confirmDelete,
             QWidget* window);

    // Writes a pending edit or insert, as leaving the row does: an inserted row that nobody typed
    // into is dropped. Throws the table's errors.
    void postPending();
    void press(DbNavigator::Button button);
    void updateButtons();
    // Keeps the column hidden in the grid, also when the grid is bound to the model again.
    void hideColumn(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindModel(bool bound);
    void onCurrentRowChanged(int current, int previous);
    void closeEditor(bool commit);
    int currentRow() const;
    void goToRow(int row);
    // After a row was refused: its cell to correct becomes the current one.
    void goToRefused();

    QTableView* m_grid;
    DbNavigator* m_navigator;
    WorkTimeModel* m_model;
    std::function<bool()> m_confirmDelete;
    QWidget* m_window;
    bool m_moving = false;
    std::optional<std::pair<int, int>> m_refused;  // the row and field the row check refused
    std::vector<int> m_hiddenColumns;
};

}  // namespace horavant
