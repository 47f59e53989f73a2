// The break window.
#include "recording/pausen_form.h"

#include "ui/window_settings.h"

namespace horavant {
namespace {
const QString kCheckedEntry = QStringLiteral("PauseBemerkCheck_Checked");
}

TPausenForm::TPausenForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 400, 456, Sizing::Fixed);
    connect(m_ui.ErfassenBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui.AusloggenBtn, &QPushButton::clicked, this, &QDialog::reject);
}

std::array<QTimeEdit*, 10> TPausenForm::pickers() const
{
    return {m_ui.DateTimePicker1, m_ui.DateTimePicker2, m_ui.DateTimePicker3, m_ui.DateTimePicker4,
            m_ui.DateTimePicker5, m_ui.DateTimePicker6, m_ui.DateTimePicker7, m_ui.DateTimePicker8,
            m_ui.DateTimePicker9, m_ui.DateTimePicker10};
}

void TPausenForm::resetIntervals()
{
    for (QTimeEdit* picker : pickers())
        picker->setTime(QTime(0, 0));
}

std::array<BreakInterval, 5> TPausenForm::intervals() const
{
    const auto p = pickers();
    std::array<BreakInterval, 5> out;
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = {p[2 * i]->time().msecsSinceStartOfDay(), p[2 * i + 1]->time().msecsSinceStartOfDay()};
    return out;
}

void TPausenForm::showEvent(QShowEvent* event)
{
    const auto settings = m_services.settings();
    restorePlacement(*settings, this);
    settings->beginGroup(objectName());
    if (settings->contains(kCheckedEntry))
        m_ui.PauseBemerkCheck->setChecked(settings->value(kCheckedEntry).toString() == QStringLiteral("True"));
    settings->endGroup();
    QDialog::showEvent(event);
}

void TPausenForm::done(int result)
{
    const auto settings = m_services.settings();
    savePlacement(*settings, this);
    settings->beginGroup(objectName());
    settings->setValue(kCheckedEntry,
                       m_ui.PauseBemerkCheck->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    settings->endGroup();
    QDialog::done(result);
}

}  // namespace horavant
