// Window tests: the running application in a fresh program folder, and a script that answers
// modal windows and message boxes as they appear, the way a user would.
#pragma once

#include "app/application.h"
#include "app/main_form.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Failed expectations show a QString as its text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace horavant {
class WorkTimeModel;
}

namespace horavant::test {

// Runs the steps in order, each on the next modal window that appears. A step should end the
// modal window by a queued click (clickLater, answer), so the code that opened it can go on.
class ModalScript {
public:
    using Step = std::function<void(QWidget* modal)>;

    ModalScript();
    ~ModalScript();

    ModalScript& then(Step step);
    // Presses a button of the next message box, after recording its text and title.
    ModalScript& answer(QMessageBox::StandardButton button, QString* text = nullptr, QString* title = nullptr,
                        QMessageBox::Icon* icon = nullptr);
    bool finished() const { return m_steps.empty(); }
    int handled() const { return m_handled; }

private:
    void poll();
    ModalScript& add(Step step, bool messageBox);

    struct Pending {
        Step step;
        bool messageBox;  // waits for a message box, passing over the window below a closed one
    };
    QTimer m_timer;
    std::deque<Pending> m_steps;
    QPointer<QWidget> m_current;
    int m_handled = 0;
};

// Types a whole work period into row `row` of the grid's model, as the row checks want it: the
// test rows' date, place, activity and times, with `employee`.
void typeWorkTimeRow(WorkTimeModel& model, int row, const QString& employee);

void clickLater(QAbstractButton* button);
// Closes the window as its close box would, after the current event.
void closeLater(QWidget* window);
void processEvents(int milliseconds = 0);

template <class T>
T* child(QWidget* window, const char* name)
{
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no control " << name << " in " << window->objectName().toStdString();
    return w;
}

// The program started in a fresh folder. German is stored as the language unless a test writes
// another options.dat before start().
class AppTest : public testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    std::filesystem::path exe() const { return dir / "horavant"; }
    // Creates the windows and shows the login window (running its first-showing steps);
    // beforeShowing runs between the two, while the windows hold their designed texts.
    void start(const std::function<void()>& beforeShowing = {});
    // Starts as start() does, where the start shows one message box: answers it with OK once it
    // appears and returns its text.
    QString startAnsweringOk();
    // The same where the start shows `count` message boxes, one after the other: their texts.
    QStringList startAnsweringOk(int count);
    // Waits until the backup of the day, which the start begins beside the windows, is written.
    void finishTheDaysBackup();
    Application& application() { return *m_app; }
    const Windows& windows() const { return m_app->windows(); }
    void writeLanguage(int language);
    // Column 0 of every row of translate.dat as it is on disk.
    std::vector<std::u16string> storedGermanTexts() const;

    TempDir dir;

private:
    std::unique_ptr<Application> m_app;
};

}  // namespace horavant::test
