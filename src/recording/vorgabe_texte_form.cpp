// The default texts window.
#include "recording/vorgabe_texte_form.h"

namespace horavant {
namespace {

// The text areas show lines; the user file keeps them separated by CR LF.
QString toMemo(const std::u16string& stored)
{
    QString text = qs(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

// A list the administrator did not touch keeps its stored text, whatever its line breaks: only a
// change made here may replace what another copy of the program saved.
void fromMemo(const QPlainTextEdit* memo, const QString& shown, std::u16string& stored)
{
    QString text = memo->toPlainText();
    if (text == shown)
        return;
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    stored = u16(text);
}

}  // namespace

TVorgabeTexteForm::TVorgabeTexteForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 418, 458, Sizing::Resizable);
    ignoreEscape(this);
    connect(m_ui.BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TVorgabeTexteForm::showEvent(QShowEvent* event)
{
    const ProgramSettings& s = m_services.userData.settings;
    m_ui.AutoTexteCheck->setChecked(s.PlaceTextMode == 0);
    m_ui.VorgabeTexteCheck->setChecked(s.PlaceTextMode != 0);
    m_ui.AutoTexte2Check->setChecked(s.ActivityTextMode == 0);
    m_ui.VorgabeTexte2Check->setChecked(s.ActivityTextMode != 0);
    m_ui.Memo1->setPlainText(toMemo(s.PlaceTexts));
    m_ui.Memo2->setPlainText(toMemo(s.ActivityTexts));
    m_shownPlaces = m_ui.Memo1->toPlainText();
    m_shownActivities = m_ui.Memo2->toPlainText();
    QDialog::showEvent(event);
}

void TVorgabeTexteForm::done(int result)
{
    ProgramSettings& s = m_services.userData.settings;
    s.PlaceTextMode = m_ui.VorgabeTexteCheck->isChecked() ? 1 : 0;
    s.ActivityTextMode = m_ui.VorgabeTexte2Check->isChecked() ? 1 : 0;
    fromMemo(m_ui.Memo1, m_shownPlaces, s.PlaceTexts);
    fromMemo(m_ui.Memo2, m_shownActivities, s.ActivityTexts);
    QDialog::done(result);
}

}  // namespace horavant
