// The user management window.
#include "admin/benutzer_verwalten_form.h"

#include "admin/benutzer_bearbeiten_form.h"
#include "ui/message_boxes.h"

#include <QHeaderView>

namespace horavant {
namespace {

QStringList rowTexts(const UserRecord& r)
{
    return {qs(r.EmployeeName), qs(r.UserName), qs(r.Password)};
}

}  // namespace

TBenutzerVerwaltenForm::TBenutzerVerwaltenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 600, 400, Sizing::Fixed);
    QHeaderView* header = m_ui.ListView1->header();
    header->setSectionResizeMode(0, QHeaderView::Interactive);
    header->resizeSection(0, 150);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    header->setStretchLastSection(true);
    sizeHeadersWhenShown(m_ui.ListView1, {header});
    connect(m_ui.NeuerBenutzerBtn, &QPushButton::clicked, this, &TBenutzerVerwaltenForm::NeuerBenutzerBtnClick);
    connect(m_ui.BenutzerBearbeitenBtn, &QPushButton::clicked, this,
            &TBenutzerVerwaltenForm::BenutzerBearbeitenBtnClick);
    connect(m_ui.BenutzerLoeschenBtn, &QPushButton::clicked, this, &TBenutzerVerwaltenForm::BenutzerLoeschenBtnClick);
    connect(m_ui.ListView1, &QTreeWidget::itemSelectionChanged, this, &TBenutzerVerwaltenForm::ListView1SelectItem);
    connect(m_ui.BitBtn4, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui.BitBtn5, &QPushButton::clicked, this, &QDialog::reject);
}

void TBenutzerVerwaltenForm::showEvent(QShowEvent* event)
{
    fillList();
    QDialog::showEvent(event);
}

void TBenutzerVerwaltenForm::fillList()
{
    m_ui.ListView1->clear();
    for (const UserRecord& r : m_services.userData.users)
        m_ui.ListView1->addTopLevelItem(new QTreeWidgetItem(rowTexts(r)));
}

int TBenutzerVerwaltenForm::selectedRow() const
{
    const auto selected = m_ui.ListView1->selectedItems();
    return selected.isEmpty() ? -1 : m_ui.ListView1->indexOfTopLevelItem(selected.first());
}

void TBenutzerVerwaltenForm::ListView1SelectItem()
{
    const bool selected = selectedRow() >= 0;
    m_ui.BenutzerBearbeitenBtn->setEnabled(selected);
    m_ui.BenutzerLoeschenBtn->setEnabled(selected);
}

void TBenutzerVerwaltenForm::NeuerBenutzerBtnClick()
{
    TBenutzerBearbeitenForm& dialog = *m_windows.benutzerBearbeiten;
    dialog.setRecord({});
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_services.userData.users.push_back(dialog.record());
    m_ui.ListView1->addTopLevelItem(new QTreeWidgetItem(rowTexts(m_services.userData.users.back())));
}

void TBenutzerVerwaltenForm::BenutzerBearbeitenBtnClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    UserList& users = m_services.userData.users;
    TBenutzerBearbeitenForm& dialog = *m_windows.benutzerBearbeiten;
    dialog.setRecord(users[static_cast<std::size_t>(row)], static_cast<std::size_t>(row));
    if (dialog.exec() != QDialog::Accepted)
        return;
    users[static_cast<std::size_t>(row)] = dialog.record();
    QTreeWidgetItem* item = m_ui.ListView1->topLevelItem(row);
    const QStringList texts = rowTexts(users[static_cast<std::size_t>(row)]);
    for (int c = 0; c < texts.size(); ++c)
        item->setText(c, texts[c]);
}

void TBenutzerVerwaltenForm::BenutzerLoeschenBtnClick()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    UserList& users = m_services.userData.users;
    const QString text = m_services.message(7) + QStringLiteral(" ")
                         + qs(users[static_cast<std::size_t>(row)].EmployeeName);
    if (!askYesNoCancel(this, text, m_services.message(8)))
        return;
    users.erase(users.begin() + row);
    delete m_ui.ListView1->takeTopLevelItem(row);
}

}  // namespace horavant
