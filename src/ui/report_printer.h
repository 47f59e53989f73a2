// Printing a report document on a printer: half-inch margins from the printer's own resolution,
// page after page, with the print job's title.
#pragma once

#include <QString>

class QPrinter;
class QTextDocument;

namespace horavant {

// Throws Error with the printing system's text when the job cannot be printed.
void printReport(QPrinter& printer, const QTextDocument& document, const QString& title);

}  // namespace horavant
