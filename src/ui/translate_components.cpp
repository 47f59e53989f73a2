// The translation walk over the windows.
#include "ui/translate_components.h"

#include "i18n/translation_store.h"
#include "ui/db_navigator.h"
#include "ui/string_grid.h"
#include "ui/window_setup.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <deque>
#include <unordered_set>

namespace horavant {
namespace {

// The kinds of the walk and the Qt classes that answer to them, tried in this order (a class
// includes its subclasses):
//  1 label, check box, radio button, window: QLabel, QCheckBox (its hint, then its caption),
//    QRadioButton, a top-level QWidget (its title)
//  2 button, bitmap button, speed button, group box: QPushButton, QToolButton (so the navigator's
//    buttons), QGroupBox (its title); caption, then hint
//  3 labelled edit: a QLineEdit with a QLabel named after it plus "Label" (its attached label),
//    whose caption is translated; the edit's text is not
//  4 menu item: QAction (separators included), QMenu (a submenu; its title); caption, then hint
//  5 combo box: QComboBox, each item, the selected item kept
//  6 string grid: StringGrid, the cells of its header row
//  7 list view: QTreeWidget, the caption of each column
//  8 memo: QPlainTextEdit, each line
//  9 edit box: QLineEdit, its text
// 10 a control kind with visible texts of its own beyond those: QTabWidget, each tab's caption
//    and hint
// Everything else keeps its texts: panels (QFrame), status bars (QStatusBar, whose messages are
// set at run time), data grids (QTableView), the navigator itself (DbNavigator), the rich-text
// box (QTextEdit), date and time pickers (QDateTimeEdit), menu bars (QMenuBar) and timers.
class Walk {
public:
    explicit Walk(TranslationStore& store) : m_store(store) {}

    void translate(QObject* component);

private:
    QString tr(const QString& text) { return qs(m_store.Translate(u16(text))); }
    template <class Get, class Set>
    void text(Get get, Set set)
    {
        const QString source = get();
        const QString translated = tr(source);
        if (translated != source)
            set(translated);
    }
    void hint(QWidget* w)
    {
        text([w] { return w->toolTip(); },
             [w](const QString& t) {
                 // A control that is named by its hint (the navigator's buttons) is named in the new
                 // language too, so screen readers say what the tooltip shows.
                 if (w->accessibleName() == w->toolTip())
                     w->setAccessibleName(t);
                 w->setToolTip(t);
             });
    }
    void hint(QAction* a);
    void lines(QPlainTextEdit* memo);

    TranslationStore& m_store;
};

QLabel* attachedLabel(QLineEdit* edit)
{
    if (!edit->parentWidget() || edit->objectName().isEmpty())
        return nullptr;
    auto* label = edit->parentWidget()->findChild<QLabel*>(edit->objectName() + QStringLiteral("Label"),
                                                           Qt::FindDirectChildrenOnly);
    return label && label->buddy() == edit ? label : nullptr;
}

QLabel* labelOfEdit(QObject* object)
{
    auto* edit = qobject_cast<QLineEdit*>(object);
    return edit ? attachedLabel(edit) : nullptr;
}

bool isAttachedLabel(QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || !label->objectName().endsWith(QStringLiteral("Label")))
        return false;
    auto* edit = qobject_cast<QLineEdit*>(label->buddy());
    return edit && attachedLabel(edit) == label;
}

void Walk::hint(QAction* a)
{
    // Without a hint of its own an action reports a tooltip made from its caption (without "&"
    // and "..."): that is no hint. An action with the same caption and nothing else tells what
    // that made-up tooltip is.
    const QString own = a->toolTip();
    QAction bare;
    bare.setText(a->text());
    if (a->text().isEmpty())
        bare.setIconText(a->iconText());
    if (own == bare.toolTip())
        return;
    const QString translated = tr(own);
    if (translated != own)
        a->setToolTip(translated);
}

void Walk::lines(QPlainTextEdit* memo)
{
    // toPlainText is always the whole contents; an empty memo has no lines at all.
    const QString contents = memo->toPlainText();
    if (contents.isEmpty())
        return;
    QStringList list = contents.split(u'\n');
    bool changed = false;
    for (QString& line : list) {
        const QString translated = tr(line);
        changed = changed || translated != line;
        line = translated;
    }
    if (changed)
        memo->setPlainText(list.join(u'\n'));
}

void Walk::translate(QObject* component)
{
    if (component->property(kHoldsUserData).toBool())
        return;
    auto* widget = qobject_cast<QWidget*>(component);
    if (auto* check = qobject_cast<QCheckBox*>(component)) {
        hint(check);
        text([check] { return check->text(); }, [check](const QString& t) { check->setText(t); });
    } else if (auto* label = qobject_cast<QLabel*>(component)) {
        text([label] { return label->text(); }, [label](const QString& t) { label->setText(t); });
    } else if (auto* radio = qobject_cast<QRadioButton*>(component)) {
        text([radio] { return radio->text(); }, [radio](const QString& t) { radio->setText(t); });
    } else if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget)) {
        text([widget] { return widget->windowTitle(); }, [widget](const QString& t) { widget->setWindowTitle(t); });
    } else if (qobject_cast<QPushButton*>(component) || qobject_cast<QToolButton*>(component)) {
        auto* button = static_cast<QAbstractButton*>(widget);
        text([button] { return button->text(); }, [button](const QString& t) { button->setText(t); });
        hint(button);
    } else if (auto* group = qobject_cast<QGroupBox*>(component)) {
        text([group] { return group->title(); }, [group](const QString& t) { group->setTitle(t); });
        hint(group);
    } else if (QLabel* attached = labelOfEdit(component)) {
        text([attached] { return attached->text(); }, [attached](const QString& t) { attached->setText(t); });
    } else if (auto* action = qobject_cast<QAction*>(component)) {
        text([action] { return action->text(); }, [action](const QString& t) { action->setText(t); });
        hint(action);
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        text([menu] { return menu->title(); }, [menu](const QString& t) { menu->setTitle(t); });
        hint(menu->menuAction());
    } else if (auto* combo = qobject_cast<QComboBox*>(component)) {
        const int selected = combo->currentIndex();
        for (int i = 0; i < combo->count(); ++i)
            text([combo, i] { return combo->itemText(i); }, [combo, i](const QString& t) { combo->setItemText(i, t); });
        // Setting an editable combo box to no item would clear its typed text, so only a moved
        // selection is put back.
        if (combo->currentIndex() != selected)
            combo->setCurrentIndex(selected);
    } else if (auto* grid = qobject_cast<StringGrid*>(component)) {
        StringGridModel& cells = grid->cells();
        for (int c = 0; c < cells.columnCount(); ++c)
            text([&cells, c] { return cells.headerText(c); },
                 [&cells, c](const QString& t) { cells.setHeaderText(c, t); });
    } else if (auto* list = qobject_cast<QTreeWidget*>(component)) {
        QTreeWidgetItem* header = list->headerItem();
        for (int c = 0; c < list->columnCount(); ++c)
            text([header, c] { return header->text(c); }, [header, c](const QString& t) { header->setText(c, t); });
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(component)) {
        lines(memo);
    } else if (auto* line = qobject_cast<QLineEdit*>(component)) {
        text([line] { return line->text(); }, [line](const QString& t) { line->setText(t); });
    } else if (auto* tabs = qobject_cast<QTabWidget*>(component)) {
        for (int i = 0; i < tabs->count(); ++i) {
            text([tabs, i] { return tabs->tabText(i); }, [tabs, i](const QString& t) { tabs->setTabText(i, t); });
            text([tabs, i] { return tabs->tabToolTip(i); }, [tabs, i](const QString& t) { tabs->setTabToolTip(i, t); });
        }
    }
}

bool designed(const QObject* object)
{
    // Qt names some of its internal sub-widgets qt_...; the others have no name at all.
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}

// Widgets whose designed children belong to the window as well.
bool holdsDesignedWidgets(const QWidget* widget)
{
    const QMetaObject* kind = widget->metaObject();
    return qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QStackedWidget*>(widget)
           || kind == &QFrame::staticMetaObject || kind == &QWidget::staticMetaObject;
}

class Gatherer {
public:
    std::vector<QObject*> take() { return std::move(m_list); }

    void add(QObject* object)
    {
        if (m_seen.insert(object).second)
            m_list.push_back(object);
    }

    void menuItems(const QList<QAction*>& actions)
    {
        for (QAction* action : actions) {
            if (QMenu* sub = action->menu()) {
                if (designed(sub))
                    add(sub);
                menuItems(sub->actions());
            } else if (designed(action)) {
                add(action);
            }
        }
    }

    void widgets(QWidget* parent)
    {
        for (QObject* child : parent->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (!w || w->isWindow() || !designed(w) || isAttachedLabel(w))
                continue;
            add(w);
            if (auto* bar = qobject_cast<QMenuBar*>(w))
                menuItems(bar->actions());
            else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
                for (int i = 0; i < tabs->count(); ++i)
                    widgets(tabs->widget(i));
            } else if (holdsDesignedWidgets(w))
                widgets(w);
        }
    }

private:
    std::vector<QObject*> m_list;
    std::unordered_set<QObject*> m_seen;
};

}  // namespace

std::vector<QObject*> ownedComponents(QObject* owner)
{
    if (auto* navigator = qobject_cast<DbNavigator*>(owner)) {
        std::vector<QObject*> buttons;
        for (int b = 0; b < DbNavigator::kButtonCount; ++b)
            buttons.push_back(navigator->button(static_cast<DbNavigator::Button>(b)));
        return buttons;
    }
    auto* window = qobject_cast<QWidget*>(owner);
    if (!window || !window->isWindow())
        return {};
    Gatherer gather;
    gather.widgets(window);
    // Actions that no menu shows still belong to the window, after everything placed.
    for (QObject* child : window->children()) {
        if (qobject_cast<QAction*>(child) && designed(child))
            gather.add(child);
    }
    return gather.take();
}

void TranslateComponents(const std::vector<QWidget*>& windows, TranslationStore& store)
{
    Walk walk(store);
    // The application object is the root: not a window, so it has no caption of its own; its
    // components are the windows.
    std::deque<QObject*> queue;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        walk.translate(*it);
        queue.push_back(*it);
    }
    while (!queue.empty()) {
        QObject* head = queue.front();
        queue.pop_front();
        const std::vector<QObject*> owned = ownedComponents(head);
        for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
            walk.translate(*it);
            queue.push_back(*it);
        }
    }
}

}  // namespace horavant
