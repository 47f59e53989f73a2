// The application object: creates the thirteen windows in their fixed order, owns them for the
// whole run, and starts with the login window.
#pragma once

#include "i18n/translation_store.h"
#include "store/user_model.h"
#include "ui/services.h"
#include "ui/windows.h"

#include <QWidget>
#include <filesystem>
#include <memory>
#include <vector>

namespace horavant {

class TMainForm;

class Application {
public:
    // executablePath decides the program folder (the data files) and the settings key.
    explicit Application(std::filesystem::path executablePath);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the login window once the event loop runs.
    void start();

    const Windows& windows() const { return m_windows; }
    TMainForm& mainForm() { return *m_mainForm; }
    Services& services() { return m_services; }
    TranslationStore& store() { return m_store; }
    UserData& userData() { return m_userData; }

private:
    TranslationStore m_store;
    UserData m_userData;
    ChangeJournal m_journal;
    Services m_services;
    Windows m_windows;
    TMainForm* m_mainForm = nullptr;
    std::vector<std::unique_ptr<QWidget>> m_owned;  // creation order; destroyed in reverse
};

}  // namespace horavant
