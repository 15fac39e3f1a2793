// notation_pdf: prints the guide to the speech notation (docs/notation.txt)
// as an A4 PDF that ships beside the program.
//
//   notation_pdf <input.txt> <output.pdf>
//
// The source format is described in NotationSource.h. Any error exits
// non-zero with "file:line: message" on stderr and leaves no output, so a
// broken guide breaks the build instead of shipping.

#include "NotationLayout.h"
#include "NotationSource.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void printError(const QString& message)
{
    std::fputs((u"notation_pdf: "_s + message + u'\n').toUtf8().constData(), stderr);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        printError(u"usage: notation_pdf <input.txt> <output.pdf>"_s);
        return 2;
    }
    const QString inputPath = args[1];
    const QString outputPath = args[2];

    QString readError;
    const auto source = notation::readSource(inputPath, readError);
    if (!source) {
        printError(readError);
        return 1;
    }

    notation::Parser parser(inputPath);
    const auto doc = parser.parse(*source);
    const QStringList errors = doc ? notation::checkGlyphs(*doc, inputPath) : parser.errors();
    if (!errors.isEmpty()) {
        for (const QString& e : errors)
            printError(e);
        return 1;
    }

    // Written to a temporary file and renamed at the end, so a failure never
    // leaves a truncated PDF behind.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly)) {
        printError(u"cannot write %1: %2"_s.arg(outputPath, out.errorString()));
        return 1;
    }
    QPdfWriter writer(&out);
    writer.setResolution(600);
    writer.setTitle(doc->title);
    writer.setCreator(u"ミルベロ notation_pdf"_s);
    if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                          QPageLayout::Millimeter))) {
        printError(u"cannot set the A4 page layout"_s);
        return 1;
    }

    notation::Composer composer(writer);
    const int pages = composer.countPages(*doc);
    QPainter painter;
    if (!painter.begin(&writer)) {
        printError(u"cannot write %1: the PDF could not be started"_s.arg(outputPath));
        return 1;
    }
    composer.paint(painter, *doc, pages);
    if (!painter.end() || !out.commit()) {
        printError(u"cannot write %1: %2"_s.arg(outputPath, out.errorString()));
        return 1;
    }
    return 0;
}
