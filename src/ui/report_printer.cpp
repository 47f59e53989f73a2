// Report printing.
#include "ui/report_printer.h"

#include "store/error.h"
#include "store/posix_file.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <cerrno>
#include <cstring>
#include <memory>

namespace horavant {

void printReport(QPrinter& printer, const QTextDocument& document, const QString& title, const QString& footer)
{
    printer.setDocName(title);
    printer.setFullPage(false);
    // Half an inch on every side, in printer pixels of the printable area.
    const int halfX = printer.logicalDpiX() / 2;
    const int halfY = printer.logicalDpiY() / 2;
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    QRect page(halfX, halfY, printable.width() - 2 * halfX, printable.height() - 2 * halfY);

    // The text is laid out for the printer in its own font, so the columns line up on paper.
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    QFont font = document.defaultFont();
    if (font.pixelSize() > 0) {
        // Pixel sizes are the screen's: keep the size the reader sees (12 px at 96 dpi = 9 pt).
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    }
    copy->setDefaultFont(font);
    copy->setDocumentMargin(0);

    // The footer takes the foot of each page inside the margins, below a line's gap.
    QFont small = font;
    small.setPointSizeF(6.5);
    const QFontMetrics smallMetrics(small, &printer);
    const QRect footerRect(page.left(), page.bottom() - smallMetrics.height() + 1, page.width(), smallMetrics.height());
    if (!footer.isEmpty())
        page.setHeight(page.height() - 2 * smallMetrics.height());
    if (page.width() <= 0 || page.height() <= 0)
        throw Error("The printer's page is too small for the margins.");
    copy->setPageSize(page.size());

    QPainter painter;
    if (!painter.begin(&printer))
        throw Error("The printer could not be started.");
    const int pages = std::max(1, copy->pageCount());
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            break;
        painter.save();
        painter.translate(page.left(), page.top() - i * page.height());
        const QRectF clip(0, i * page.height(), page.width(), page.height());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
        if (!footer.isEmpty()) {
            painter.save();
            painter.setFont(small);
            painter.drawText(footerRect, Qt::AlignLeft | Qt::AlignBottom, footer);
            painter.restore();
        }
    }
    if (!painter.end())
        throw Error("The print job could not be finished.");
}

void writeReportPdf(const QTextDocument& document, const QString& title, const std::filesystem::path& target,
                    const QString& footer)
{
    AtomicFileWriter file(target);
    if (!file.open()) {
        const std::string reason = std::strerror(errno);
        throw IoError(formatMessage("Cannot create file \"%s\": %s.", {target.string(), reason}));
    }
    const QString temp = QString::fromStdString(file.tempPath().string());
    {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(temp);
        pdf.setCreator(QStringLiteral("Horavant"));
        // The whole sheet is the printable area, so the margins are half an inch from its edges.
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
        printReport(pdf, document, title, footer);
    }
    // The PDF writer does not report a failed write (a full disk); a complete file ends with its
    // end-of-file mark.
    QFile written(temp);
    bool complete = false;
    if (written.open(QIODevice::ReadOnly) && written.size() > 0) {
        written.seek(std::max<qint64>(0, written.size() - 32));
        complete = written.readAll().contains("%%EOF");
    }
    written.close();
    if (!complete)
        throw IoError(formatMessage("Write error in file \"%s\": %s.", {target.string(), "the file is incomplete"}));
    file.commit();
}

}  // namespace horavant
