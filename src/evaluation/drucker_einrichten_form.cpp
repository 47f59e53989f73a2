// The printer set-up dialog.
#include "evaluation/drucker_einrichten_form.h"

#include "ui/error_report.h"
#include "ui/message_boxes.h"
#include "ui/translate_components.h"
#include "ui/window_setup.h"

#include <QFileDialog>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace horavant {
namespace {

// The paper a printer offers; for a file, or a printer that cannot be asked, the common sizes.
QList<QPageSize> paperOf(const QString& printerName)
{
    QList<QPageSize> sizes = printerName.isEmpty() ? QList<QPageSize>()
                                                   : QPrinterInfo::printerInfo(printerName).supportedPageSizes();
    if (sizes.isEmpty()) {
        for (const QPageSize::PageSizeId id :
             {QPageSize::A4, QPageSize::A3, QPageSize::A5, QPageSize::Letter, QPageSize::Legal})
            sizes.append(QPageSize(id));
    }
    return sizes;
}

}  // namespace

TDruckerEinrichtenForm::TDruckerEinrichtenForm(Services& services, QPrinter& printer, QWidget* parent)
    : QDialog(parent), m_services(services), m_printer(printer)
{
    m_ui.setupUi(this);
    setupWindow(this, 380, 250, Sizing::Fixed);
    // Made afresh for each use from the German design, so the walk meets German texts only.
    if (services.store.CurrentLanguage() != 0) {
        guarded(this, [&] {
            TranslationStore::SaveBatch batch(services.store);
            TranslateComponents({this}, services.store);
            batch.finish();
        });
    }

    const QStringList printers = QPrinterInfo::availablePrinterNames();
    m_ui.DruckerCombo->addItems(printers);
    m_pdfEntry = static_cast<int>(printers.size());
    m_ui.DruckerCombo->addItem(m_services.translate(QStringLiteral("PDF-Datei")));
    if (!m_printer.outputFileName().isEmpty()) {
        m_shownEntry = m_pdfEntry;
        m_ui.DateiEdit->setText(m_printer.outputFileName());
    } else {
        const QString current = m_printer.printerName();
        m_shownEntry = static_cast<int>(
            printers.indexOf(current.isEmpty() ? QPrinterInfo::defaultPrinterName() : current));
    }
    m_ui.DruckerCombo->setCurrentIndex(m_shownEntry);
    DruckerComboChange();
    const bool portrait = m_printer.pageLayout().orientation() == QPageLayout::Portrait;
    (portrait ? m_ui.HochformatRadio : m_ui.QuerformatRadio)->setChecked(true);

    connect(m_ui.DruckerCombo, &QComboBox::currentIndexChanged, this, &TDruckerEinrichtenForm::DruckerComboChange);
    connect(m_ui.DateiBtn, &QPushButton::clicked, this, &TDruckerEinrichtenForm::DateiBtnClick);
    connect(m_ui.UebernehmenBtn, &QPushButton::clicked, this, &TDruckerEinrichtenForm::UebernehmenBtnClick);
    connect(m_ui.AbbrechenBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TDruckerEinrichtenForm::pdfChosen() const
{
    return m_ui.DruckerCombo->currentIndex() == m_pdfEntry;
}

void TDruckerEinrichtenForm::DruckerComboChange()
{
    m_ui.DateiEdit->setEnabled(pdfChosen());
    m_ui.DateiBtn->setEnabled(pdfChosen());
    // The paper chosen so far stays chosen where the printer offers it.
    const QPageSize chosen = m_ui.PapierCombo->count() > 0 ? m_ui.PapierCombo->currentData().value<QPageSize>()
                                                           : m_printer.pageLayout().pageSize();
    m_ui.PapierCombo->clear();
    for (const QPageSize& size : paperOf(pdfChosen() ? QString() : m_ui.DruckerCombo->currentText())) {
        m_ui.PapierCombo->addItem(size.name(), QVariant::fromValue(size));
        if (size.isEquivalentTo(chosen))
            m_ui.PapierCombo->setCurrentIndex(m_ui.PapierCombo->count() - 1);
    }
}

void TDruckerEinrichtenForm::DateiBtnClick()
{
    const QString file = QFileDialog::getSaveFileName(this, m_services.translate(QStringLiteral("PDF-Datei")),
                                                      m_ui.DateiEdit->text(), QStringLiteral("PDF (*.pdf)"));
    if (!file.isEmpty())
        m_ui.DateiEdit->setText(file);
}

void TDruckerEinrichtenForm::UebernehmenBtnClick()
{
    const int picked = m_ui.DruckerCombo->currentIndex();
    if (pdfChosen()) {
        const QString file = m_ui.DateiEdit->text().trimmed();
        if (file.isEmpty()) {
            showError(this, m_services.translate(QStringLiteral("Bitte geben Sie den Namen der PDF-Datei an.")));
            m_ui.DateiEdit->setFocus();
            return;
        }
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(file);
    } else if (picked >= 0 && picked != m_shownEntry) {
        m_printer.setOutputFileName({});
        m_printer.setPrinterName(m_ui.DruckerCombo->currentText());
    }
    if (m_ui.PapierCombo->currentIndex() >= 0)
        m_printer.setPageSize(m_ui.PapierCombo->currentData().value<QPageSize>());
    m_printer.setPageOrientation(m_ui.HochformatRadio->isChecked() ? QPageLayout::Portrait : QPageLayout::Landscape);
    accept();
}

}  // namespace horavant
