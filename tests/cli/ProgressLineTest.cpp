#include "support/CliFixture.h"

using namespace Qt::Literals::StringLiterals;

using ProgressLineTest = CliFixture;

// On a terminal narrower than the walk's progress line, the line is cut to the terminal's width
// (one column spare), so it never wraps; each rewrite and the end take it away whole, and what
// stays on the terminal is the report alone.
TEST_F(ProgressLineTest, FitsTheTerminalAndLeavesNothingBehind) {
    const QString folder = makeFolder(u"a-folder-whose-path-is-longer-than-the-terminal"_s);
    setRaw(makeFile(u"a-folder-whose-path-is-longer-than-the-terminal/f"_s), "user.t", "v");
    const QByteArray clear = "\r\x1b[K";
    const QString report = runCli({u"crawl"_s, folder}).out;
    for (const unsigned short columns : {30, 12}) {
        const QByteArray shown = runOnTerminal({"crawl", QFile::encodeName(folder)}, columns);
        ASSERT_GE(shown.count(clear), 2)
            << shown.constData(); // drawn at least once, then taken away
        const qsizetype end = shown.lastIndexOf(clear) + clear.size();
        for (const QByteArray& line : shown.first(end).split('\r')) {
            const QString text = QString::fromUtf8(line).remove(u"\x1b[K"_s);
            EXPECT_LT(text.size(), columns) << text.toStdString();
            EXPECT_FALSE(text.contains(u'\n')) << text.toStdString();
        }
        // The terminal ends each line of the report with a carriage return of its own.
        EXPECT_EQ(QString::fromUtf8(shown.sliced(end)).remove(u'\r'), report);
    }
}
