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

std::u16string fromMemo(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return u16(text);
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
    QDialog::showEvent(event);
}

void TVorgabeTexteForm::done(int result)
{
    ProgramSettings& s = m_services.userData.settings;
    s.PlaceTextMode = m_ui.VorgabeTexteCheck->isChecked() ? 1 : 0;
    s.ActivityTextMode = m_ui.VorgabeTexte2Check->isChecked() ? 1 : 0;
    s.PlaceTexts = fromMemo(m_ui.Memo1);
    s.ActivityTexts = fromMemo(m_ui.Memo2);
    QDialog::done(result);
}

}  // namespace horavant
