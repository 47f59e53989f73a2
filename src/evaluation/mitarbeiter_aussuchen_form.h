// The selection window of the evaluations: the subject (employee, place or activity) and the period.
#pragma once

#include "ui_mitarbeiter_aussuchen_form.h"

#include <QDate>
#include <QDialog>
#include <chrono>
#include <string>
#include <vector>

namespace horavant {

class TMitarbeiterAussuchenForm : public QDialog {
    Q_OBJECT
public:
    explicit TMitarbeiterAussuchenForm(QWidget* parent = nullptr);

    // Refills the list and selects its first entry; the dates stay as they are.
    void setSubjects(const std::vector<std::u16string>& subjects);
    std::u16string subject() const;
    // The position of the chosen entry in the list, -1 when there is none.
    int subjectIndex() const;
    std::chrono::sys_days fromDate() const;
    std::chrono::sys_days toDate() const;
    void setPeriod(const QDate& from, const QDate& to);

    void setVisible(bool visible) override;

private:
    void FormCreate();

    Ui::TMitarbeiterAussuchenForm m_ui;
    bool m_largeType = false;
};

}  // namespace horavant
