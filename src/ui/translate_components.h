// Puts the windows into the current language: every caption, hint, item and header text met
// goes through the translation store.
#pragma once

#include <vector>

class QWidget;

namespace horavant {

class TranslationStore;

void TranslateComponents(const std::vector<QWidget*>& windows, TranslationStore& store);

}  // namespace horavant
