#include "core/inspector/AttributeCommands.h"

#include "core/model/AttributeName.h"
#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using AttributeCommandsTest = XattrFixture;

ResourceItemPtr record(const QString& name, const QByteArray& data = {}) {
    return std::make_shared<ResourceItem>(name, data);
}

} // namespace

// Each failure is reported and the rest goes on. Pasted names arrive byte for byte, a foreign
// name gets its namespace, and what is not a record is skipped.
TEST_F(AttributeCommandsTest, WritesGoOnPastFailuresAndNeverReplaceAnotherName) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.exists", "old value");
    setRaw(file, "user.b", "b");
    const QString missing = pathOf(u"missing/f"_s);
    EXPECT_EQ(
        textsOf(AttributeCommands::writeRecord(missing, *record(u"user.a"_s, "a"))),
        QStringList{u"setxattr error: No such file or directory (attribute \u201cuser.a\u201d "
                    "of \u201c"_s +
                    missing + u"\u201d)"_s});
    const auto noData = [&file](const QString& name) {
        return u"removexattr error: No data available (attribute \u201c"_s + name +
               u"\u201d of \u201c"_s + file + u"\u201d)"_s;
    };
    EXPECT_EQ(
        textsOf(AttributeCommands::removeRecords(
            file, {record(u"user.gone"_s), record(u"user.b"_s),
                   std::make_shared<ResourceItem>(QByteArray("user.bad\xff"), QByteArray())})),
        (QStringList{noData(u"user.gone"_s), noData(u"user.bad\\xff"_s)}));

    const QList<QByteArray> archives = {record(u"user.exists"_s, "new")->archive(),
                                        "plain text",
                                        record(u"user.empty"_s)->archive(),
                                        QByteArray(),
                                        ResourceItem(QByteArray("user.bad\xff\xfe"), "v").archive(),
                                        record(u"com.apple.quarantine"_s, "q")->archive()};
    EXPECT_TRUE(AttributeCommands::pasteArchives(file, archives).isEmpty());
    // A record that fails is one failure, and the next record is still written.
    const QString longName = u"user."_s + QString(300, u'n');
    EXPECT_EQ(
        textsOf(AttributeCommands::pasteArchives(
            file, {record(longName, "x")->archive(), record(u"user.after"_s, "a")->archive()})),
        QStringList{u"setxattr error: Numerical result out of range (attribute \u201c"_s +
                    longName + u"\u201d of \u201c"_s + file + u"\u201d)"_s});

    // The editor's save: the shown name unchanged writes the original's own bytes; a changed name
    // only creates, and never replaces the attribute in the way; the original is never removed.
    setRaw(file, "user.bad\xff", "old");
    setRaw(file, "user.other", "precious");
    const ResourceItem original(QByteArray("user.bad\xff"), "old");
    const auto save = [&file](const ResourceItem* from, const QString& name,
                              const QByteArray& value) {
        // As the editor reads its name box: the name typed as the table shows it.
        const ResourceItem edited(typedName(name).name.value(), value);
        return textsOf(AttributeCommands::saveEditedRecord(file, from, edited));
    };
    EXPECT_EQ(save(&original, u"user.bad\\xff"_s, "edited"), QStringList());
    EXPECT_EQ(save(&original, u"user.other"_s, "x"),
              QStringList{u"An attribute of that name already exists, so nothing was saved "
                          "(attribute \u201cuser.other\u201d of \u201c"_s +
                          file + u"\u201d)"_s});
    EXPECT_EQ(save(&original, u"new"_s, "n"), QStringList());
    EXPECT_EQ(save(nullptr, u"user.other"_s, "chosen"), QStringList());

    // A name that names nothing is refused as such, naming the file, whether new or renamed.
    const QString refusal =
        u"An attribute needs a name, so nothing was saved (\u201c"_s + file + u"\u201d)."_s;
    for (const QString& empty : {u""_s, u"user."_s}) {
        EXPECT_EQ(save(nullptr, empty, "v"), QStringList{refusal});
        EXPECT_EQ(save(&original, empty, "v"), QStringList{refusal});
    }
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)),
              (Attributes{{"user.exists", "new"},
                          {"user.empty", ""},
                          {"user.bad\xff\xfe", "v"},
                          {"user.com.apple.quarantine", "q"},
                          {"user.bad\xff", "edited"},
                          {"user.new", "n"},
                          {"user.other", "chosen"},
                          {"user.after", "a"}}));
}
