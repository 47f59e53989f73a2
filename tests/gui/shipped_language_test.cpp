// A fresh installation started in English or in Spanish: every text the windows and messages show
// comes from the shipped translations, and the toolkit's own buttons speak the same language.
#include "gui_support.h"

#include "i18n/shipped_translations.h"
#include "recording/einloggen_form.h"
#include "support/work_time_table.h"
#include "store/dbf_table.h"
#include "ui/db_navigator.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

namespace horavant::test {
namespace {

class ShippedLanguageTest : public AppTest, public testing::WithParamInterface<int> {
protected:
    int language() const { return GetParam(); }

    QString shipped(std::u16string_view german) const
    {
        return qs(std::u16string(shippedTranslations().text(german, language())));
    }

    // The texts a user reads in a window: title, labels, buttons with their hints, group boxes,
    // menus, list headers and combo items.
    static QStringList shownTexts(QWidget* window)
    {
        QStringList texts {window->windowTitle()};
        for (const QLabel* w : window->findChildren<QLabel*>())
            texts << w->text();
        for (const QAbstractButton* w : window->findChildren<QAbstractButton*>())
            texts << w->text() << w->toolTip();
        for (const QGroupBox* w : window->findChildren<QGroupBox*>())
            texts << w->title();
        for (const QMenu* w : window->findChildren<QMenu*>())
            texts << w->title();
        for (const QAction* w : window->findChildren<QAction*>())
            texts << w->text();
        for (const QTreeWidget* w : window->findChildren<QTreeWidget*>()) {
            for (int c = 0; c < w->columnCount(); ++c)
                texts << w->headerItem()->text(c);
        }
        for (const QComboBox* w : window->findChildren<QComboBox*>()) {
            for (int i = 0; i < w->count(); ++i)
                texts << w->itemText(i);
        }
        return texts;
    }

    // Answers a question box with No, noting its text and the toolkit's Yes button.
    static ModalScript::Step noteQuestion(QString* text, QString* yes)
    {
        return [=](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr) << modal->objectName().toStdString();
            *text = box->text();
            *yes = box->button(QMessageBox::Yes)->text();
            clickLater(box->button(QMessageBox::No));
        };
    }

    QString toolkitYes() const { return language() == 1 ? QStringLiteral("&Yes") : QStringLiteral("&S\u00ED"); }
};

TEST_P(ShippedLanguageTest, EveryTextOfTheWindowsIsShippedAndShownTranslated)
{
    writeLanguage(language());
    start();

    // The rows the walk and the messages added, as saved: each with its English and Spanish.
    TranslationStore saved(dir / "translate.dat", ShippedTranslations {});
    saved.InitTranslations();
    QStringList untranslated;
    for (int r = 0; r < saved.rowCount(); ++r) {
        if (saved.cell(r, 1).empty() || saved.cell(r, 2).empty())
            untranslated << qs(saved.cell(r, 0));
    }
    EXPECT_GT(saved.rowCount(), 100);
    EXPECT_TRUE(untranslated.isEmpty()) << "no shipped English or Spanish for:\n"
                                        << untranslated.join(u'\n').toStdString();

    // No window shows a German text whose translation differs from it.
    QStringList german;
    for (QWidget* window : windows().list) {
        for (const QString& text : shownTexts(window)) {
            const QString translated = shipped(u16(text));
            if (!translated.isEmpty() && translated != text)
                german << window->objectName() + QStringLiteral(": ") + text;
        }
    }
    EXPECT_TRUE(german.isEmpty()) << "still German:\n" << german.join(u'\n').toStdString();
    EXPECT_EQ(child<QPushButton>(windows().einloggen, "BitBtnXP1")->text(), shipped(u"Als Benutzer einloggen"));
}

TEST_P(ShippedLanguageTest, QuestionsAndTheToolkitsButtonsSpeakTheLanguage)
{
    writeLanguage(language());
    {
        DbfTable table;
        createWorkTimeTable(table, dir.path());
        appendRows(table, {{}});
    }
    start();
    QString deleteQuestion, deleteYes, searchQuestion, searchYes, restart;
    ModalScript script;
    script
        .then([](QWidget* main) {
            auto* grid = child<QTableView>(main, "DBGrid1");
            grid->setCurrentIndex(grid->model()->index(0, 0));
            clickLater(child<DbNavigator>(main, "DBNavigator1")->button(DbNavigator::Delete));
        })
        .then(noteQuestion(&deleteQuestion, &deleteYes))
        .then([](QWidget* main) { clickLater(child<QPushButton>(main, "AusloggenBtn")); })
        .then([](QWidget* editor) {
            child<QLineEdit>(editor, "FilterEdit")->setText(QStringLiteral("Datum"));
            clickLater(child<QPushButton>(editor, "FilterBtn"));
        })
        .then(noteQuestion(&searchQuestion, &searchYes))
        .then([](QWidget* editor) { clickLater(child<QPushButton>(editor, "BackBtn")); })
        .answer(QMessageBox::Ok, &restart);
    clickLater(child<QPushButton>(windows().einloggen, "BitBtnXP2"));
    processEvents(20);
    QElapsedTimer waited;
    waited.start();
    while (QApplication::activeModalWidget() && waited.elapsed() < 10000)
        processEvents(10);
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr) << "the main window did not close";
    windows().einloggen->findChild<QAction*>(QStringLiteral("bersetzen1"))->trigger();
    EXPECT_TRUE(script.finished());

    EXPECT_EQ(deleteQuestion, shipped(u"Datensatz löschen?"));
    EXPECT_EQ(searchQuestion, shipped(u"Weitersuchen?"));
    EXPECT_EQ(restart, shipped(u"Bitte schließen Sie das Programm und starten Sie es erneut."));
    EXPECT_EQ(deleteYes, toolkitYes());
    EXPECT_EQ(searchYes, toolkitYes());
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "English" : "Spanish"; });

}  // namespace
}  // namespace horavant::test
