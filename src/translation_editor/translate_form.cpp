// The translation editor.
#include "translation_editor/translate_form.h"

#include "translation_editor/translation_editor.h"
#include "ui/error_report.h"
#include "ui/message_boxes.h"

#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <filesystem>

namespace horavant {

TTranslateForm::TTranslateForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 900, 600, Sizing::Resizable);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);

    StringGrid& grid = *m_ui.StringGrid1;
    grid.cells().setCellSource([this](int row, int column) { return qs(m_services.store.cell(row - 1, column)); });

    connect(m_ui.BackBtn, &QPushButton::clicked, this, &TTranslateForm::BackBtnClick);
    connect(m_ui.FilterBtn, &QPushButton::clicked, this, &TTranslateForm::FilterBtnClick);
    connect(m_ui.DeleteRowBtn, &QPushButton::clicked, this, &TTranslateForm::DeleteRowBtnClick);
    connect(m_ui.FixedColCheck, &QCheckBox::toggled, this, &TTranslateForm::FixedColCheckClick);
    connect(m_ui.Button1, &QPushButton::clicked, this, &TTranslateForm::Button1Click);
    connect(m_ui.Button2, &QPushButton::clicked, this, &TTranslateForm::Button2Click);
    connect(&grid, &StringGrid::editTextChanged, this, &TTranslateForm::StringGrid1SetEditText);
    connect(&grid, &StringGrid::keyDown, this, &TTranslateForm::StringGrid1KeyDown);
    connect(Timer1, &QTimer::timeout, this, &TTranslateForm::Timer1Timer);
    for (QPushButton* b : {m_ui.BackBtn, m_ui.Button1, m_ui.Button2, m_ui.FilterBtn, m_ui.DeleteRowBtn})
        b->setAutoDefault(false);
}

void TTranslateForm::FillStringGrid()
{
    StringGrid& grid = *m_ui.StringGrid1;
    const QModelIndex before = grid.currentIndex();
    grid.setRowCount(m_services.store.rowCount() + 1);
    for (int c = 0; c < StringGrid::kColumns; ++c)
        grid.cells().setHeaderText(c, qs(editorHeaderText(c)));
    // A grid that shrank below the current row keeps its new last row current.
    const int row = before.isValid() ? std::min(before.row(), grid.rowCount() - 1) : 1;
    if (row >= 1)
        grid.setCurrentIndex(grid.cells().index(row, std::max(before.column(), 0)));
}

void TTranslateForm::BackBtnClick()
{
    accept();
}

void TTranslateForm::save()
{
    TranslationStore& store = m_services.store;
    const std::uint32_t replaced = store.rowsReplaced();
    guarded(this, [&] { store.SaveTranslations(); });
    // Another copy of the program had saved the store: the grid shows the rows as saved now.
    if (store.rowsReplaced() != replaced)
        FillStringGrid();
    const std::vector<TranslationClash> clashes = store.takeClashes();
    if (clashes.empty())
        return;
    QStringList lines {
        m_services.translate(QStringLiteral("Eine andere Kopie des Programms hatte inzwischen auch "
                                            "diese Übersetzungen geändert. Gespeichert ist jetzt "
                                            "Ihre Fassung:"))};
    for (const TranslationClash& clash : clashes)
        lines << QStringLiteral("„%1“ (%2)").arg(qs(clash.german), qs(editorHeaderText(clash.column)));
    showInformation(this, lines.join(u'\n'));
}

void TTranslateForm::done(int result)
{
    if (Timer1->isActive()) {
        Timer1->stop();
        save();
    }
    QDialog::done(result);
}

void TTranslateForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_ui.DeleteRowBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TTranslateForm::StringGrid1SetEditText(int row, int column, const QString& text)
{
    TranslationStore& store = m_services.store;
    if (row >= 1 && row <= store.rowCount() && column >= 0 && column < kTranslationColumns) {
        guarded(this, [&] { store.setCell(row - 1, column, u16(text)); });
        m_ui.StringGrid1->cells().cellChanged(row, column);
    }
    Timer1->start();
}

void TTranslateForm::Timer1Timer()
{
    Timer1->stop();
    save();
}

void TTranslateForm::StringGrid1KeyDown(int key)
{
    if (key == Qt::Key_Delete)
        DeleteRowBtnClick();
}

void TTranslateForm::DeleteRowBtnClick()
{
    TranslationStore& store = m_services.store;
    StringGrid& grid = *m_ui.StringGrid1;
    const int row = grid.currentIndex().row();
    // The question has no title: the message table holds none for it.
    if (row >= 1 && row <= store.rowCount() && askYesNoCancel(this, qs(store.cell(row - 1, 0))))
        guarded(this, [&] { store.deleteRow(row - 1); });
    save();
    FillStringGrid();
}

void TTranslateForm::FilterBtnClick()
{
    const TranslationStore& store = m_services.store;
    StringGrid& grid = *m_ui.StringGrid1;
    const std::u16string text = u16(m_ui.FilterEdit->text());
    GridCell from;
    while (const std::optional<GridCell> hit = findInEditor(store, text, from, grid.rowCount())) {
        grid.selectCell(hit->row, hit->column);
        const QString question = m_services.translate(QStringLiteral("Weitersuchen?"));
        showNewRows();
        if (!askYesNo(this, question))
            break;
        from = nextGridCell(*hit);
    }
}

void TTranslateForm::showNewRows()
{
    m_ui.StringGrid1->cells().growTo(m_services.store.rowCount() + 1);
}

void TTranslateForm::FixedColCheckClick()
{
    m_ui.StringGrid1->setFixedColumn(m_ui.FixedColCheck->isChecked());
}

void TTranslateForm::Button1Click()
{
    guarded(this,
            [this] { exportMissingSpanish(m_services.store, std::filesystem::current_path() / kExportFileName); });
}

void TTranslateForm::Button2Click()
{
    const bool imported = guarded(this, [this] {
        const std::filesystem::path folder = std::filesystem::current_path();
        // Both files are read before anything changes, so a missing one changes nothing.
        const std::vector<std::u16string> translated = readTextLines(folder / kImportFileName);
        const std::vector<std::u16string> exported = readTextLines(folder / kExportFileName);
        for (const ImportedCell& cell : pairImportedLines(m_services.store, exported, translated))
            StringGrid1SetEditText(cell.storeRow + 1, kSpanishColumn, qs(cell.text));
    });
    if (!imported)
        return;
    // This save covers the edits, so no delayed save is left pending.
    Timer1->stop();
    save();
}

}  // namespace horavant
