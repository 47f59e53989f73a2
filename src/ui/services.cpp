// Shared services of the windows.
#include "ui/services.h"

#include "i18n/message_table.h"
#include "store/error.h"
#include "ui/error_report.h"

#include <QLocale>

namespace horavant {

namespace {

// A text new to the store is in it even when its save failed: asked again, it is found without
// a save. Only a second failure leaves the German text, reported once already.
std::u16string lookUp(const std::function<std::u16string()>& lookup, std::u16string german)
{
    if (guarded(nullptr, [&] { german = lookup(); }))
        return german;
    try {
        return lookup();
    } catch (const std::exception&) {
        return german;
    }
}

}  // namespace

QString Services::message(int number) const
{
    const bool known = number >= 1 && number <= kMessageCount;
    return qs(lookUp([&] { return store.GetMessageText(number); },
                     known ? std::u16string(MessageTable[static_cast<std::size_t>(number)]) : std::u16string()));
}

QString Services::translate(const QString& text) const
{
    return qs(lookUp([&] { return store.Translate(u16(text)); }, u16(text)));
}

QString Services::describe(const PatternError& error) const
{
    const QString pattern = translate(QString::fromStdString(error.pattern()));
    return QString::fromStdString(formatMessageArgs(pattern.toStdString(), error.details()));
}

std::unique_ptr<QSettings> Services::settings() const
{
    const QString key = QString::fromStdString(executablePath.stem().string());
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, key, key);
}

std::string programFolderOf(const std::filesystem::path& executablePath)
{
    std::string folder = executablePath.parent_path().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

Regional systemRegional()
{
    const QLocale locale = QLocale::system();
    Regional r;
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = date.indexOf(u'd'), m = date.indexOf(u'M'), y = date.indexOf(u'y');
    if (y >= 0 && y < d && y < m)
        r.dateOrder = DateOrder::YearMonthDay;
    else if (m >= 0 && d >= 0 && m < d)
        r.dateOrder = DateOrder::MonthDayYear;
    else
        r.dateOrder = DateOrder::DayMonthYear;
    for (QChar c : date) {
        if (!c.isLetter()) {
            r.dateSeparator = c.unicode();
            break;
        }
    }
    const QString time = locale.timeFormat(QLocale::ShortFormat);
    for (QChar c : time) {
        if (!c.isLetter() && c != u' ') {
            r.timeSeparator = c.unicode();
            break;
        }
    }
    r.decimalSeparator = locale.decimalPoint().isEmpty() ? u'.' : locale.decimalPoint().at(0).unicode();
    return r;
}

}  // namespace horavant
