// Typesets the user manual: palvorn-make-manual MANUAL.md OUTPUT.pdf
// Runs at build time on the offscreen platform, so the PDF beside the executable always matches
// docs/manual.md.
#include <cstdio>

#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

// Markdown tables come without padding and with doubled borders; thin single rules read better.
void styleTables(QTextFrame& frame) {
    for (QTextFrame* child : frame.childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorderCollapse(true);
            format.setBorder(1);
            format.setBorderBrush(QColor(0x99, 0x99, 0x99));
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
        styleTables(*child);
    }
}

int fail(const QString& text) {
    std::fprintf(stderr, "palvorn-make-manual: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "Usage: palvorn-make-manual MANUAL.md OUTPUT.pdf\n");
        return 2;
    }
    const QString& sourcePath = arguments.at(1);
    const QString& targetPath = arguments.at(2);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1: %2").arg(sourcePath, source.errorString()));
    const QString markdown = QString::fromUtf8(source.readAll());
    if (markdown.trimmed().isEmpty())
        return fail(QStringLiteral("%1 is empty").arg(sourcePath));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setMarkdown(markdown);
    styleTables(*document.rootFrame());

    // Written beside the target and renamed at the end, so a failed run never leaves a
    // truncated manual that the build would take as up to date.
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(targetPath, target.errorString()));
    {
        QPdfWriter writer(&target);
        writer.setTitle(QStringLiteral("palvorn Help"));
        writer.setCreator(QStringLiteral("palvorn"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        // QTextDocument::print() puts its own 2 cm margin around the text.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        document.print(&writer);
    }
    if (!target.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(targetPath, target.errorString()));
    return 0;
}
