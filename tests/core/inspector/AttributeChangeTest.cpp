#include "core/inspector/AttributeChange.h"

#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using AttributeChangeTest = XattrFixture;

// A change made since is never overwritten. A value over the system's 64 KiB limit cannot be
// written: the names written before it are taken back, so the file is left as it was.
TEST_F(AttributeChangeTest, AChangeMadeSinceOrAFailingWriteLeavesTheFileAsItWas) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "after");
    setRaw(file, "user.b", "someone else's");
    const AttributeChange change(u"Paste"_s, file, {{"user.a", "before"}, {"user.b", "before"}},
                                 {{"user.a", "after"}, {"user.b", "after"}});
    EXPECT_EQ(textOf(change.undo()), u"Can't undo Paste: the value has changed since (attribute "
                                     "\u201cuser.b\u201d of \u201c"_s +
                                         file + u"\u201d)"_s);
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)),
              (Attributes{{"user.a", "after"}, {"user.b", "someone else's"}}));

    const AttributeChange large(u"Paste"_s, file, {{"user.c", {}}, {"user.d", {}}},
                                {{"user.c", "x"}, {"user.d", QByteArray(70'000, 'v')}});
    const QString failure = textOf(large.redo());
    EXPECT_TRUE(failure.startsWith(u"Can't redo Paste: setxattr error: "_s))
        << failure.toStdString();
    EXPECT_TRUE(
        failure.endsWith(u"(attribute \u201cuser.d\u201d of \u201c"_s + file + u"\u201d)"_s))
        << failure.toStdString();
    EXPECT_EQ(rawAttributes(QFile::encodeName(file)),
              (Attributes{{"user.a", "after"}, {"user.b", "someone else's"}}));
}
