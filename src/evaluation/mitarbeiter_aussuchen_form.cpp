// The evaluation selection window.
#include "evaluation/mitarbeiter_aussuchen_form.h"

#include "ui/window_setup.h"

#include <QDate>
#include <initializer_list>

namespace horavant {

TMitarbeiterAussuchenForm::TMitarbeiterAussuchenForm(QWidget* parent) : QDialog(parent)
{
    m_ui.setupUi(this);
    setupWindow(this, 418, 270, Sizing::Fixed);
    ignoreEscape(this);
    connect(m_ui.OkayBtn, &QPushButton::clicked, this, &QDialog::accept);
    FormCreate();
}

void TMitarbeiterAussuchenForm::FormCreate()
{
    // The day the program started; the pickers hold whole days.
    const QDate today = QDate::currentDate();
    m_ui.DateTimePicker1->setDate(today);
    m_ui.DateTimePicker2->setDate(today);
}

void TMitarbeiterAussuchenForm::setSubjects(const std::vector<std::u16string>& subjects)
{
    QStringList items;
    items.reserve(static_cast<qsizetype>(subjects.size()));
    for (const auto& s : subjects)
        items.append(qs(s));
    m_ui.ArbeiterEd->setUpdatesEnabled(false);
    m_ui.ArbeiterEd->clear();
    m_ui.ArbeiterEd->addItems(items);
    m_ui.ArbeiterEd->setCurrentIndex(items.isEmpty() ? -1 : 0);
    m_ui.ArbeiterEd->setUpdatesEnabled(true);
}

void TMitarbeiterAussuchenForm::setVisible(bool visible)
{
    // The choice and the dates are in large type, set when the window first shows: a second font
    // size is looked up and every control laid out again in it, and most runs never come here.
    if (visible && !m_largeType) {
        m_largeType = true;
        QFont large;
        large.setPointSize(12);
        for (QWidget* w : std::initializer_list<QWidget*> {m_ui.Label4, m_ui.ArbeiterEd, m_ui.Label3,
                                                           m_ui.DateTimePicker1, m_ui.Label1, m_ui.DateTimePicker2})
            w->setFont(large);
    }
    QDialog::setVisible(visible);
}

std::u16string TMitarbeiterAussuchenForm::subject() const
{
    return u16(m_ui.ArbeiterEd->currentText());
}

int TMitarbeiterAussuchenForm::subjectIndex() const
{
    return m_ui.ArbeiterEd->currentIndex();
}

std::chrono::sys_days TMitarbeiterAussuchenForm::fromDate() const
{
    return daysOf(m_ui.DateTimePicker1->date());
}

void TMitarbeiterAussuchenForm::setPeriod(const QDate& from, const QDate& to)
{
    m_ui.DateTimePicker1->setDate(from);
    m_ui.DateTimePicker2->setDate(to);
}

std::chrono::sys_days TMitarbeiterAussuchenForm::toDate() const
{
    return daysOf(m_ui.DateTimePicker2->date());
}

}  // namespace horavant
