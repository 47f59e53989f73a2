// What the windows share, owned by the application object and handed to each window by reference.
#pragma once

#include "i18n/translation_store.h"
#include "journal/change_journal.h"
#include "store/regional.h"
#include "store/user_model.h"
#include "ui/window_setup.h"

#include <QSettings>
#include <QString>
#include <filesystem>
#include <memory>

namespace horavant {

class PatternError;

struct Services {
    TranslationStore& store;
    UserData& userData;
    Regional regional;
    // The running program file; its folder is the program folder, its name the settings key.
    std::filesystem::path executablePath;
    // Every change to the records and the settings goes into it first.
    ChangeJournal& journal;

    // A message of the message table, or a text, in the current language. The lookups run inside
    // the general error report: a text new to the store whose save fails (a full disk) is
    // reported and still shown, so a lookup never ends what asked for it.
    QString message(int number) const;
    QString translate(const QString& text) const;
    // A core error's German pattern in the current language, its %s filled from its details.
    QString describe(const PatternError& error) const;
    std::function<std::u16string(int)> messageLookup() const
    {
        return [this](int n) { return store.GetMessageText(n); };
    }
    // The per-user settings store of the program, one section per window class.
    std::unique_ptr<QSettings> settings() const;
};

// The program folder of an executable: its folder, ending in exactly one path separator.
std::string programFolderOf(const std::filesystem::path& executablePath);

// Regional settings read from the system locale.
Regional systemRegional();

}  // namespace horavant
