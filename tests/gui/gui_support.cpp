// Window test support.
#include "gui_support.h"

#include "admin/datensicherung_form.h"
#include "i18n/translation_store.h"
#include "recording/einloggen_form.h"
#include "store/byte_io.h"
#include "support/work_time_table.h"
#include "ui/work_time_model.h"

#include <QElapsedTimer>

namespace horavant::test {

ModalScript::ModalScript()
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

ModalScript::~ModalScript()
{
    m_timer.stop();
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " expected modal window(s) never appeared";
}

ModalScript& ModalScript::then(Step step)
{
    return add(std::move(step), false);
}

ModalScript& ModalScript::add(Step step, bool messageBox)
{
    m_steps.push_back({std::move(step), messageBox});
    return *this;
}

ModalScript& ModalScript::answer(QMessageBox::StandardButton button, QString* text, QString* title,
                                 QMessageBox::Icon* icon)
{
    const Step step = [=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr) << "expected a message box, got " << modal->objectName().toStdString();
        if (text)
            *text = box->text();
        if (title)
            *title = box->windowTitle();
        if (icon)
            *icon = box->icon();
        QAbstractButton* b = box->button(button);
        ASSERT_NE(b, nullptr) << "the message box has no such button";
        clickLater(b);
    };
    return add(step, true);
}

void ModalScript::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_current || m_steps.empty())
        return;
    // When one message box follows another after some work, the window below them is on top in
    // between; a step for a message box waits for the box.
    if (m_steps.front().messageBox && !qobject_cast<QMessageBox*>(modal))
        return;
    m_current = modal;
    Step step = std::move(m_steps.front().step);
    m_steps.pop_front();
    ++m_handled;
    // The step runs after the current event. When a modal window has just closed and the one
    // below it is active again, the code that opened the closed one has not yet seen it close;
    // this poll may come in between, and the step must not look at the window before that code
    // is done with it.
    QMetaObject::invokeMethod(
        &m_timer,
        [step = std::move(step), window = QPointer<QWidget>(modal)] {
            if (!window)
                return ADD_FAILURE() << "a modal window closed before its step could run";
            const bool failedBefore = testing::Test::HasFailure();
            step(window);
            // A step that failed may have left its window open; close it so the test ends
            // instead of hanging.
            if (!failedBefore && testing::Test::HasFailure())
                closeLater(window);
        },
        Qt::QueuedConnection);
}

void typeWorkTimeRow(WorkTimeModel& model, int row, const QString& employee)
{
    const Row r;
    const QStringList texts {qs(r.date), employee, qs(r.place), qs(r.activity), qs(r.from), qs(r.to)};
    for (int field = 0; field < texts.size(); ++field)
        model.setData(model.index(row, field), texts[field]);
}

void clickLater(QAbstractButton* button)
{
    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
}

void closeLater(QWidget* window)
{
    QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
}

void processEvents(int milliseconds)
{
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (t.elapsed() < milliseconds);
}

AppTest::AppTest()
{
    writeLanguage(0);
}

AppTest::~AppTest()
{
    m_app.reset();
    processEvents();
    // The program ends itself through the application's event loop (Beenden, a table that cannot
    // be opened). Once asked to, Qt refuses every later event loop, modal windows included, until
    // the application's own loop has run: run it once here, so the next test starts afresh.
    QTimer leave;
    leave.setSingleShot(true);
    QObject::connect(&leave, &QTimer::timeout, [] { QCoreApplication::exit(0); });
    leave.start(0);
    QCoreApplication::exec();
}

void AppTest::finishTheDaysBackup()
{
    processEvents();
    while (windows().datensicherung->copying())
        processEvents(5);
}

std::vector<std::u16string> AppTest::storedGermanTexts() const
{
    TranslationStore store(dir / "translate.dat");
    store.InitTranslations();
    std::vector<std::u16string> texts;
    for (int r = 0; r < store.rowCount(); ++r)
        texts.push_back(store.cell(r, 0));
    return texts;
}

void AppTest::writeLanguage(int language)
{
    std::string bytes(4, '\0');
    putU32le(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(language));
    writeFile(dir / "options.dat", bytes);
}

void AppTest::start(const std::function<void()>& beforeShowing)
{
    m_app = std::make_unique<Application>(exe());
    if (beforeShowing)
        beforeShowing();
    m_app->start();
    processEvents();
}

QString AppTest::startAnsweringOk()
{
    return startAnsweringOk(1).value(0);
}

QStringList AppTest::startAnsweringOk(int count)
{
    std::vector<QString> texts(static_cast<std::size_t>(count));
    ModalScript script;
    for (QString& text : texts)
        script.answer(QMessageBox::Ok, &text);
    start();
    while (!script.finished())
        processEvents(10);
    return QStringList(texts.begin(), texts.end());
}

}  // namespace horavant::test
