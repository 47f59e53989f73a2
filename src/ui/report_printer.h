// Printing a report document on a printer: half-inch margins from the printer's own resolution,
// page after page, with the print job's title.
#pragma once

#include <QString>

#include <filesystem>

class QPrinter;
class QTextDocument;

namespace horavant {

// Throws Error with the printing system's text when the job cannot be printed. A footer is set in
// small type at the foot of every page, below the text.
void printReport(QPrinter& printer, const QTextDocument& document, const QString& title, const QString& footer = {});

// The same pages as a PDF file on A4 landscape, the half-inch margins from the sheet's edges, the
// text selectable. Written beside the target and renamed over it at the end: a failure throws and
// leaves the target as it was.
void writeReportPdf(const QTextDocument& document, const QString& title, const std::filesystem::path& target,
                    const QString& footer = {});

}  // namespace horavant
