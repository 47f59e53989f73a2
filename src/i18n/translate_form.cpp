// The translation editor.
#include "i18n/translate_form.h"

namespace horavant {

TTranslateForm::TTranslateForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 900, 600, Sizing::Resizable);
}

void TTranslateForm::FillStringGrid()
{
}

}  // namespace horavant
