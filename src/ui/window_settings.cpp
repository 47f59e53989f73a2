// Window placement in the settings store.
#include "ui/window_settings.h"

#include <QSettings>
#include <QWidget>

namespace horavant {

void restorePlacement(QSettings& settings, QWidget* window)
{
    settings.beginGroup(window->objectName());
    const QByteArray placement = settings.value(QStringLiteral("Placement")).toByteArray();
    settings.endGroup();
    if (!placement.isEmpty())
        window->restoreGeometry(placement);
}

void savePlacement(QSettings& settings, const QWidget* window)
{
    settings.beginGroup(window->objectName());
    settings.setValue(QStringLiteral("Placement"), window->saveGeometry());
    settings.endGroup();
}

}  // namespace horavant
