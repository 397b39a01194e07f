#include "inspector/AttributeChange.h"

#include "support/XattrFixture.h"

#include <sys/xattr.h>

#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

using State = AttributeChange::Values;

class AttributeChangeTest : public XattrFixture {
protected:
    // Makes the file hold exactly the state: values set, absent names removed.
    static void setState(const QString& file, const State& state) {
        for (auto it = state.cbegin(); it != state.cend(); ++it) {
            if (*it)
                setRaw(file, it.key(), **it);
            else
                ::removexattr(QFile::encodeName(file).constData(), it.key().constData());
        }
    }

    static State stateOf(const QString& file, const State& names) {
        State state;
        for (auto it = names.cbegin(); it != names.cend(); ++it)
            state.insert(it.key(), hasRaw(file, it.key()) ? std::optional(getRaw(file, it.key()))
                                                          : std::nullopt);
        return state;
    }
};

} // namespace

// Each command's effect as the file sees it: undo gives back the exact bytes and names, redo
// does the command again.
TEST_F(AttributeChangeTest, UndoAndRedoRestoreExactBytesAndNames) {
    const QByteArray binary("\x00\xff\x00 tail", 8);
    const struct {
        const char* command;
        State before;
        State after;
    } cases[] = {
        {"Remove", {{"user.a", binary}, {"user.b", ""}}, {{"user.a", {}}, {"user.b", {}}}},
        {"New", {{"user.new", {}}}, {{"user.new", binary}}},
        {"Paste", {{"user.a", "old"}, {"user.b", {}}}, {{"user.a", binary}, {"user.b", ""}}},
        {"Add flag",
         {{"user.a", binary}, {"user.a#S", {}}},
         {{"user.a", {}}, {"user.a#S", binary}}},
        {"Strip flags",
         {{"user.b#A", "A"}, {"user.b#B", "B"}, {"user.b", {}}},
         {{"user.b#A", {}}, {"user.b#B", {}}, {"user.b", "B"}}},
    };
    for (const auto& c : cases) {
        const QString file = makeFile(QString::fromLatin1(c.command));
        setRaw(file, "user.bystander", "kept");
        setState(file, c.before);
        const State captured = AttributeChange::capture(file, c.before.keys());
        EXPECT_EQ(captured, c.before) << c.command;
        setState(file, c.after);
        const AttributeChange change(QString::fromLatin1(c.command), file, captured,
                                     AttributeChange::capture(file, c.after.keys()));
        EXPECT_EQ(change.names(), c.before.keys()) << c.command;

        EXPECT_EQ(change.undo(), QString()) << c.command;
        EXPECT_EQ(stateOf(file, c.before), c.before) << c.command;
        EXPECT_EQ(change.redo(), QString()) << c.command;
        EXPECT_EQ(stateOf(file, c.after), c.after) << c.command;
        EXPECT_EQ(getRaw(file, "user.bystander"), "kept") << c.command;
    }
}

TEST_F(AttributeChangeTest, OnlyNamesWhoseValuesChangedBelongToTheChange) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.same", "v");
    const State before = AttributeChange::capture(file, {"user.same", "user.absent"});
    const AttributeChange change(u"Paste"_s, file, before, before);
    EXPECT_TRUE(change.isEmpty());
}

TEST_F(AttributeChangeTest, AChangeMadeSinceIsNeverOverwritten) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.a", "before");
    setRaw(file, "user.b", "before");
    const State before = AttributeChange::capture(file, {"user.a", "user.b"});
    setRaw(file, "user.a", "after");
    setRaw(file, "user.b", "after");
    const AttributeChange change(u"Paste"_s, file, before,
                                 AttributeChange::capture(file, {"user.a", "user.b"}));

    setRaw(file, "user.b", "someone else's");
    EXPECT_EQ(change.undo(),
              u"Can't undo Paste: the attribute user.b of %1 has changed since."_s.arg(file));
    EXPECT_EQ(getRaw(file, "user.a"), "after");
    EXPECT_EQ(getRaw(file, "user.b"), "someone else's");

    // A name that came back after the command removed it is a change too.
    const AttributeChange removal(u"Remove"_s, file, {{"user.c", "old"}}, {{"user.c", {}}});
    setRaw(file, "user.c", "new");
    EXPECT_TRUE(removal.undo().contains(u"user.c"_s));
    EXPECT_EQ(getRaw(file, "user.c"), "new");
}

// A value over the system's 64 KiB limit cannot be written: the names written before it are
// taken back, so the file is left as it was.
TEST_F(AttributeChangeTest, AFailingWriteTakesBackTheEarlierOnes) {
    const QString file = makeFile(u"f"_s);
    const AttributeChange change(u"Paste"_s, file, {{"user.a", {}}, {"user.b", {}}},
                                 {{"user.a", "x"}, {"user.b", QByteArray(70'000, 'v')}});
    const QString failure = change.redo();
    EXPECT_TRUE(failure.startsWith(
        u"Can't redo Paste: setxattr error on the attribute user.b of "_s + file + u": "_s))
        << failure.toStdString();
    EXPECT_FALSE(hasRaw(file, "user.a"));
    EXPECT_FALSE(hasRaw(file, "user.b"));
}
