// The printer set-up dialog.
#include "evaluation/drucker_einrichten_form.h"

#include "ui/error_report.h"
#include "ui/translate_components.h"
#include "ui/window_setup.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace horavant {
namespace {

// The paper a printer offers; without a printer to ask, the common sizes.
QList<QPageSize> paperOf(const QString& printerName)
{
    QList<QPageSize> sizes = QPrinterInfo::printerInfo(printerName).supportedPageSizes();
    if (sizes.isEmpty()) {
        for (const QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter,
                                               QPageSize::Legal})
            sizes.append(QPageSize(id));
    }
    return sizes;
}

}  // namespace

TDruckerEinrichtenForm::TDruckerEinrichtenForm(Services& services, QPrinter& printer, QWidget* parent)
    : QDialog(parent), m_printer(printer)
{
    m_ui.setupUi(this);
    setupWindow(this, 360, 220, Sizing::Fixed);
    // Made afresh for each use from the German design, so the walk translates German texts.
    if (services.store.CurrentLanguage() != 0) {
        guarded(this, [&] {
            TranslationStore::SaveBatch batch(services.store);
            TranslateComponents({this}, services.store);
            batch.finish();
        });
    }

    const QString current = m_printer.printerName();
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    m_ui.DruckerCombo->addItems(printers);
    m_shownPrinter = static_cast<int>(printers.indexOf(current.isEmpty() ? QPrinterInfo::defaultPrinterName() : current));
    m_ui.DruckerCombo->setCurrentIndex(m_shownPrinter);
    fillPaper();
    const bool portrait = m_printer.pageLayout().orientation() == QPageLayout::Portrait;
    (portrait ? m_ui.HochformatRadio : m_ui.QuerformatRadio)->setChecked(true);

    connect(m_ui.DruckerCombo, &QComboBox::currentIndexChanged, this, &TDruckerEinrichtenForm::fillPaper);
    connect(m_ui.UebernehmenBtn, &QPushButton::clicked, this, &TDruckerEinrichtenForm::UebernehmenBtnClick);
    connect(m_ui.AbbrechenBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TDruckerEinrichtenForm::fillPaper()
{
    // The paper chosen so far stays chosen where the printer offers it.
    const QPageSize chosen = m_ui.PapierCombo->count() > 0 ? m_ui.PapierCombo->currentData().value<QPageSize>()
                                                            : m_printer.pageLayout().pageSize();
    m_ui.PapierCombo->clear();
    for (const QPageSize& size : paperOf(m_ui.DruckerCombo->currentText())) {
        m_ui.PapierCombo->addItem(size.name(), QVariant::fromValue(size));
        if (size.isEquivalentTo(chosen))
            m_ui.PapierCombo->setCurrentIndex(m_ui.PapierCombo->count() - 1);
    }
}

void TDruckerEinrichtenForm::UebernehmenBtnClick()
{
    const int picked = m_ui.DruckerCombo->currentIndex();
    if (picked >= 0 && picked != m_shownPrinter) {
        m_printer.setOutputFileName({});
        m_printer.setPrinterName(m_ui.DruckerCombo->currentText());
    }
    if (m_ui.PapierCombo->currentIndex() >= 0)
        m_printer.setPageSize(m_ui.PapierCombo->currentData().value<QPageSize>());
    m_printer.setPageOrientation(m_ui.HochformatRadio->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
    accept();
}

}  // namespace horavant
