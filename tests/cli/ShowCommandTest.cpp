#include "cli/CliRunner.h"
#include "model/XattrAccess.h"
#include "support/XattrFixture.h"

#include <QHash>

using namespace Qt::Literals::StringLiterals;

namespace {

class ShowCommandTest : public XattrFixture {
protected:
    // A file carrying a text value, a binary property list, binary bytes and an empty value,
    // with the display text each must get.
    QString makeDemoFile() {
        const QString file = makeFile(u"demo.txt"_s, "content");
        const struct {
            const char* name;
            QByteArray value;
            QString displayText;
        } attributes[] = {
            {"user.text", "Zo\xc3\xab's notes",
             u"user.text (12 bytes):\n\n<5a6fc3ab 2773206e 6f746573>\n\n"
             "String content:\n\nZoë's notes\n"_s},
            {"user.plist",
             QByteArray::fromHex(
                 "62706c6973743030a1015178080a00000000000001010000000000000002000000"
                 "0000000000000000000000000c"),
             u"user.plist (46 bytes):\n\n<62706c69 73743030 a1015178 080a0000 00000000 01010000 "
             "00000000 00020000 00000000 00000000 00000000 000c>\n\nProperty list content:\n\n"
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
             "PLIST "
             "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
             "version=\"1.0\">\n"
             "<array>\n\t<string>x</string>\n</array>\n</plist>\n"_s},
            {"user.random", QByteArray::fromHex("9c00ff10807f0102fe"),
             u"user.random (9 bytes):\n\n<9c00ff10 807f0102 fe>\n\n"_s},
            {"user.empty", {}, u"user.empty (0 bytes):\n\n<>\n\nString content:\n\n\n"_s},
        };
        for (const auto& attribute : attributes) {
            setRaw(file, attribute.name, attribute.value);
            m_displayTexts.insert(QString::fromLatin1(attribute.name), attribute.displayText);
        }
        return file;
    }

    QString expectedReport(const QString& file) const {
        QStringList texts;
        for (const QByteArray& name : palvorn::listXattrs(palvorn::nativePath(file)))
            texts.append(m_displayTexts.value(QString::fromUtf8(name)));
        return file + u"\n\n**********\n"_s + texts.join(u"\n**********\n"_s);
    }

    QHash<QString, QString> m_displayTexts;
};

} // namespace

TEST_F(ShowCommandTest, PrintsTheInspectorsReportExactly) {
    const QString file = makeDemoFile();
    const CliResult result = runCli({u"show"_s, file});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, expectedReport(file));
    EXPECT_EQ(result.out.count(u"\n**********\n"_s), 4);
}

TEST_F(ShowCommandTest, ANamedAttributeIsShownAlone) {
    const QString file = makeDemoFile();
    // A bare name means the user namespace, as everywhere else.
    for (const QString& name : {u"user.random"_s, u"random"_s}) {
        const CliResult result = runCli({u"show"_s, file, name});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out,
                  file + u"\n\n**********\n"_s + m_displayTexts.value(u"user.random"_s));
    }
    const CliResult missing = runCli({u"show"_s, file, u"user.nothing"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, u"xattr not found"_s + subject(file, u"user.nothing"_s) + u'\n');
}

TEST_F(ShowCommandTest, FileWithoutAttributesHasAnEmptyBody) {
    const QString file = makeFile(u"plain"_s);
    const CliResult result = runCli({u"show"_s, file});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, file + u"\n\n**********\n"_s);
}
