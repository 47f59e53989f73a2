// Common set-up of the program's windows: designed client size, fixed or resizable, centred;
// Enter presses a button only where one is designed as the default.
#pragma once

#include <QDate>
#include <QString>
#include <chrono>
#include <initializer_list>
#include <string>

class QAbstractItemView;
class QHeaderView;
class QWidget;

namespace horavant {

enum class Sizing { Fixed, Resizable };

void setupWindow(QWidget* window, int clientWidth, int clientHeight, Sizing sizing);
void centreOnScreen(QWidget* window);
// For a window without a cancel button: Escape closes it no more than any other key does; its
// buttons and its close box are the ways out.
void ignoreEscape(QWidget* window);
// Keeps the view's headers hidden until the view first shows: a shown header measures every
// section's title in bold whenever the model changes, and every window is made at start-up
// while most are never shown in a run. Headers already hidden stay hidden; call it once the
// sections' resize modes are set.
void sizeHeadersWhenShown(QAbstractItemView* view, std::initializer_list<QHeaderView*> headers);

inline QString qs(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

inline std::u16string u16(const QString& text)
{
    return text.toStdU16String();
}

inline std::chrono::sys_days daysOf(const QDate& date)
{
    return std::chrono::sys_days(std::chrono::year_month_day {std::chrono::year(date.year()),
                                                              std::chrono::month(static_cast<unsigned>(date.month())),
                                                              std::chrono::day(static_cast<unsigned>(date.day()))});
}

}  // namespace horavant
