// The general error report.
#include "ui/error_report.h"

#include "store/error.h"
#include "ui/message_boxes.h"

#include <QApplication>
#include <QString>
#include <exception>
#include <new>

namespace horavant {

bool guarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const AbortError&) {
        return false;
    } catch (const std::bad_alloc&) {
        showError(parent, QStringLiteral("Out of memory."));
    } catch (const std::exception& e) {
        showError(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

}  // namespace horavant
