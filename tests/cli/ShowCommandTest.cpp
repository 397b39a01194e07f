#include "model/XattrAccess.h"
#include "support/CliFixture.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

using ShowCommandTest = CliFixture;

// The display texts are the inspector's (tested with the rendering); here they are joined into
// its report, in the system's order, and a named attribute is shown alone.
TEST_F(ShowCommandTest, PrintsTheInspectorsReportExactly) {
    const QString plain = makeFile(u"plain"_s);
    EXPECT_EQ(runCli({u"show"_s, plain}).out, plain + u"\n\n**********\n"_s);

    const QString file = makeFile(u"demo.txt"_s, "content");
    const QHash<QByteArray, QString> texts = {
        {"user.text", u"user.text (12 bytes):\n\n<5a6fc3ab 2773206e 6f746573>\n\nString "
                      u"content:\n\nZo\u00eb's notes\n"_s},
        {"user.random", u"user.random (9 bytes):\n\n<9c00ff10 807f0102 fe>\n\n"_s},
        {"user.empty", u"user.empty (0 bytes):\n\n<>\n\nString content:\n\n\n"_s},
    };
    setRaw(file, "user.text", "Zo\xc3\xab's notes");
    setRaw(file, "user.random", QByteArray::fromHex("9c00ff10807f0102fe"));
    setRaw(file, "user.empty", {});
    QStringList expected;
    for (const QByteArray& name : palvorn::listXattrs(palvorn::nativePath(file)))
        expected.append(texts.value(name));
    const CliResult result = runCli({u"show"_s, file});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, file + u"\n\n**********\n"_s + expected.join(u"\n**********\n"_s));

    // A bare name means the user namespace, as everywhere else.
    for (const QString& name : {u"user.random"_s, u"random"_s}) {
        const CliResult alone = runCli({u"show"_s, file, name});
        EXPECT_EQ(alone.exitCode, 0);
        EXPECT_EQ(alone.out, file + u"\n\n**********\n"_s + texts.value("user.random"));
    }
    const CliResult missing = runCli({u"show"_s, file, u"user.nothing"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, u"xattr not found"_s + subject(file, u"user.nothing"_s) + u'\n');
}
