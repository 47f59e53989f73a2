// Puts the windows into the current language: every caption, hint, item and header text met
// goes through the translation store, in the order of the ownership walk.
#pragma once

#include <vector>

class QObject;
class QWidget;

namespace horavant {

class TranslationStore;

// The dynamic property that keeps a control holding user data (a password, the default texts)
// out of the walk, so its contents never become rows of the store.
inline constexpr char kHoldsUserData[] = "holdsUserData";

// The components an owner owns, in the order of its window definition: for a window its designed
// widgets, menus, menu items and actions (no layouts, no internal sub-widgets of Qt); for a
// navigator its buttons; nothing for anything else.
std::vector<QObject*> ownedComponents(QObject* owner);

// Walks the application, the owner of windows (in creation order), breadth first; each owner's
// components from the last to the first.
void TranslateComponents(const std::vector<QWidget*>& windows, TranslationStore& store);

}  // namespace horavant
