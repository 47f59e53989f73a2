// Start-up: the windows in their order.
#include "app/application.h"

#include "admin/admin_form.h"
#include "admin/admin_pass_form.h"
#include "admin/benutzer_bearbeiten_form.h"
#include "admin/benutzer_verwalten_form.h"
#include "admin/datensicherung_form.h"
#include "admin/protokoll_form.h"
#include "app/main_form.h"
#include "evaluation/auswerten_form.h"
#include "evaluation/mitarbeiter_aussuchen_form.h"
#include "translation_editor/translate_form.h"
#include "recording/daten_auflisten_form.h"
#include "recording/einloggen_form.h"
#include "recording/erfassen_form.h"
#include "recording/pausen_form.h"
#include "recording/vorgabe_texte_form.h"
#include "timesheet/abwesenheiten_form.h"
#include "timesheet/sollzeiten_form.h"

#include <QCoreApplication>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace horavant {
namespace {

template <class Form>
Form* keep(std::vector<std::unique_ptr<QWidget>>& owned, Windows& windows, Form* form)
{
    owned.emplace_back(form);
    windows.list.push_back(form);
    return form;
}

// Freed blocks go back to the system. By default glibc raises its threshold for giving a block a
// mapping of its own to the largest block freed so far (up to 32 MB), and then keeps up to twice
// that of freed memory in its heap: after the journal's work at start-up and a scan's notes per
// record, some 30 MB stayed resident that nothing used. With fixed thresholds a block of 4 MB or
// more is returned when freed (a second journal check maps its 16 MB of digests afresh, a few
// milliseconds), smaller ones (a read block, a chunk of digests' text) are reused, and each heap
// keeps at most a megabyte free at its end.
void returnFreedMemory()
{
#ifdef __GLIBC__
    constexpr int kOwnMappingFrom = 4 << 20;
    constexpr int kFreeHeapKept = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
    mallopt(M_TRIM_THRESHOLD, kFreeHeapKept);
#endif
}

}  // namespace

Application::Application(std::filesystem::path executablePath)
    : m_store(std::filesystem::path(programFolderOf(executablePath)) / "translate.dat"),
      m_journal(programFolderOf(executablePath)),
      m_services {m_store, m_userData, systemRegional(), std::move(executablePath), m_journal}
{
    returnFreedMemory();
    // The journal's messages speak the user's language.
    m_journal.setTranslator([this](std::u16string_view text) { return m_store.Translate(text); });
    // The order matters: the login window, created first, initialises the translation store;
    // the main window loads the user file that the three windows before it show.
    Windows& w = m_windows;
    w.einloggen = keep(m_owned, w, new TEinloggenForm(m_services, m_windows));
    w.benutzerVerwalten = keep(m_owned, w, new TBenutzerVerwaltenForm(m_services, m_windows));
    w.benutzerBearbeiten = keep(m_owned, w, new TBenutzerBearbeitenForm(m_services));
    w.adminPass = keep(m_owned, w, new TAdminPassForm(m_services));
    w.admin = keep(m_owned, w, new TAdminForm(m_services));
    w.vorgabeTexte = keep(m_owned, w, new TVorgabeTexteForm(m_services));
    m_mainForm = keep(m_owned, w, new TMainForm(m_services, m_windows));
    w.main = m_mainForm;
    w.erfassen = keep(m_owned, w, new TErfassenForm(m_services, m_windows));
    w.datenAuflisten = keep(m_owned, w, new TDatenAuflistenForm(m_services, m_windows));
    w.mitarbeiterAussuchen = keep(m_owned, w, new TMitarbeiterAussuchenForm());
    w.auswerten = keep(m_owned, w, new TAuswertenForm(m_services));
    w.pausen = keep(m_owned, w, new TPausenForm(m_services));
    w.translate = keep(m_owned, w, new TTranslateForm(m_services));
    w.datensicherung = keep(m_owned, w, new TDatensicherungForm(m_services, m_windows));
    w.sollzeiten = keep(m_owned, w, new TSollzeitenForm(m_services, m_windows));
    w.abwesenheiten = keep(m_owned, w, new TAbwesenheitenForm(m_services, m_windows));
    w.protokoll = keep(m_owned, w, new TProtokollForm(m_services, m_windows));
    // Every widget made asks to be polished once the event loop runs, which would style all
    // seventeen windows before the login window shows; a window is polished when it first shows.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
}

Application::~Application()
{
    // Windows go in reverse order of creation; the main window closes the table on its way.
    while (!m_owned.empty())
        m_owned.pop_back();
}

void Application::start()
{
    QTimer::singleShot(0, m_windows.einloggen, [this] {
        m_windows.einloggen->show();
        // The first showing has opened the table (after any restore by another copy: opening waits
        // for it); the day's backup waits until the window is on screen, so the start is not
        // slowed by it.
        QTimer::singleShot(0, m_windows.datensicherung, [this] {
            m_windows.datensicherung->recoverAfterCrash(m_windows.einloggen);
            m_windows.datensicherung->dailyBackup(m_windows.einloggen);
        });
    });
}

}  // namespace horavant
