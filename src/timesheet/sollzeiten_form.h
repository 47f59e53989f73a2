// The target hours of sollzeit.dbf: the rows listed, and added, changed and deleted, each field
// checked as it is typed.
#pragma once

#include "store/timesheet_tables.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_sollzeiten_form.h"

#include <QDialog>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace horavant {

class TSollzeitenForm : public QDialog {
    Q_OBJECT
public:
    TSollzeitenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    void HinzufuegenBtnClick();
    void AendernBtnClick();
    void LoeschenBtnClick();
    void ListView1SelectItem();
    // Any field typed or chosen: the first field that cannot be stored is named, and only a row
    // that can be stored may be added or changed.
    void FieldChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Reads the table again and selects the row with these texts, if any.
    void fillList(const std::vector<std::u16string>& select = {});
    const StoredRow* selected() const;
    std::vector<std::u16string> typedTexts() const;
    // The edit of each field of the table, null for the two combo boxes.
    std::array<QLineEdit*, targetfield::kCount> edits() const;
    std::filesystem::path folder() const;
    // The check of an added or changed row against the others: one row per employee and day.
    RowsCheck noSecondRowOfTheDay(const std::vector<std::u16string>& stored) const;

    Services& m_services;
    const Windows& m_windows;
    Ui::TSollzeitenForm m_ui;
    std::vector<StoredRow> m_rows;
};

}  // namespace horavant
