#include "core/model/PosixAcl.h"

#include "core/model/AccountNames.h"
#include "support/XattrFixture.h"

#include <QDir>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class PosixAclTest : public XattrFixture {
protected:
    // What setfacl made of the options, and what getfacl prints of it without its header and the
    // empty line at its end.
    std::pair<QByteArray, QString> madeBySetfacl(const QString& path, const QStringList& options,
                                                 const QByteArray& name) {
        runTool(u"setfacl"_s, options + QStringList{path});
        QString listed = QString::fromUtf8(runTool(u"getfacl"_s, {u"--omit-header"_s, path}));
        listed.chop(1);
        return {getRaw(path, name), listed};
    }

    AccountNames accounts;
};

// The text of every list setfacl writes is the text getfacl prints: names where the system knows
// the account, numbers where it does not, the effective rights where the mask takes some away,
// tabs and order alike; and that text reads back as the same bytes.
TEST_F(PosixAclTest, TextIsGetfaclsAndReadsBackAsTheSameBytes) {
    const QString changes[] = {
        u"u:nobody:r--"_s,
        u"u:nobody:r--,g:daemon:rwx,m::r--"_s,
        u"u:4242:rwx,u:123456789:rw,g:77777:rx,g::rwx,m::r"_s,
        u"u:root:x,g:root:w,u:daemon:rwx,g:nogroup:r,m::rwx"_s,
        u"m::-"_s,
    };
    for (const QString& change : changes) {
        const QString file = makeFile(u"f"_s);
        const auto [value, listed] =
            madeBySetfacl(file, {u"-m"_s, change}, "system.posix_acl_access");
        const Parsed<PosixAcl> acl = PosixAcl::fromXattr(value);
        ASSERT_TRUE(acl) << change.toStdString() << acl.problem.toStdString();
        const QString text = acl.value->toText(PosixAcl::Kind::Access, accounts);
        EXPECT_EQ(text, listed) << change.toStdString();
        const Parsed<PosixAcl> back = PosixAcl::fromText(text, PosixAcl::Kind::Access, accounts);
        ASSERT_TRUE(back) << back.problem.toStdString();
        EXPECT_EQ(back.value->toXattr(), value) << change.toStdString();
        QFile::remove(file);
    }
    // A folder's default list: its lines are getfacl's "default:" lines.
    const QString folder = makeFolder(u"d"_s);
    const auto [value, listed] =
        madeBySetfacl(folder, {u"-d"_s, u"-m"_s, u"u:nobody:rwx,g:daemon:rwx,g::rwx,m::r-x"_s},
                      "system.posix_acl_default");
    const Parsed<PosixAcl> acl = PosixAcl::fromXattr(value);
    ASSERT_TRUE(acl) << acl.problem.toStdString();
    const QString text = acl.value->toText(PosixAcl::Kind::Default, accounts);
    EXPECT_TRUE(listed.endsWith(text)) << listed.toStdString();
    EXPECT_TRUE(text.startsWith(u"default:user::rwx\ndefault:user:nobody:rwx\t#effective:r-x\n"_s));
    EXPECT_EQ(PosixAcl::fromText(text, PosixAcl::Kind::Default, accounts).value->toXattr(), value);
}

// setfacl's short text and getfacl's long one, in any order, stand for the bytes setfacl writes
// for them; a default list takes its entries with or without "default:".
TEST_F(PosixAclTest, SetfaclsTextsStandForTheBytesSetfaclWrites) {
    const struct {
        QString text;
        PosixAcl::Kind kind;
        QString setfaclText;
    } cases[] = {
        {u"u::rw-,u:nobody:r--,g::r--,m::r--,o::---"_s, PosixAcl::Kind::Access, {}},
        {u"# file: x\nuser::rw-\nuser:nobody:r--\ngroup::r--\ngroup:daemon:rwx\t#effective:r--\n"
         u"mask::r--\nother::r--\n\n"_s,
         PosixAcl::Kind::Access, u"u::rw-,u:nobody:r--,g::r--,g:daemon:rwx,m::r--,o::r--"_s},
        {u" o:5 , g::4,u:65534:6, u::7 ,m:rw-,user:1:1"_s, PosixAcl::Kind::Access,
         u"u::rwx,u:nobody:rw-,u:daemon:--x,g::r--,m::rw-,o::r-x"_s},
        // No mask given: the one that takes no right away, as setfacl computes it.
        {u"u::rw-,u:nobody:r--,g::--x,o::---"_s, PosixAcl::Kind::Access,
         u"u::rw-,u:nobody:r--,g::--x,m::r-x,o::---"_s},
        {u"default:user::rwx\nd:group::r-x\nother::---"_s, PosixAcl::Kind::Default,
         u"u::rwx,g::r-x,o::---"_s},
    };
    for (const auto& c : cases) {
        const Parsed<PosixAcl> acl = PosixAcl::fromText(c.text, c.kind, accounts);
        ASSERT_TRUE(acl) << c.text.toStdString() << ": " << acl.problem.toStdString();
        const bool isDefault = c.kind == PosixAcl::Kind::Default;
        const QString path = isDefault ? makeFolder(u"d"_s) : makeFile(u"f"_s);
        runTool(u"setfacl"_s, QStringList{isDefault ? u"-d"_s : u"-n"_s, u"--set"_s,
                                          c.setfaclText.isEmpty() ? c.text : c.setfaclText, path});
        EXPECT_EQ(acl.value->toXattr(),
                  getRaw(path, isDefault ? "system.posix_acl_default" : "system.posix_acl_access"))
            << c.text.toStdString();
        // What was typed is what a later read of the stored bytes gives, computed mask included.
        EXPECT_EQ(PosixAcl::fromXattr(acl.value->toXattr()).value->entries(), acl.value->entries())
            << c.text.toStdString();
        QDir(path).removeRecursively() || QFile::remove(path);
    }
}

// A text that is no list the kernel would keep says why, naming the entry it stopped at.
TEST_F(PosixAclTest, TextsThatAreNoListAreRefusedWithTheReason) {
    const std::pair<QString, QString> cases[] = {
        {u""_s, u"it holds no entries"_s},
        {u"# only a comment\n\n"_s, u"it holds no entries"_s},
        {u"u::rw-,,o::r--"_s, u"there is an empty entry between commas"_s},
        {u"x::rwx"_s, u"\u201cx::rwx\u201d does not start with user, group, mask or other"_s},
        {u"u::rwz"_s, u"\u201cu::rwz\u201d has no rights such as rwx, r-x or 5"_s},
        {u"u::rrw"_s, u"\u201cu::rrw\u201d has no rights such as rwx, r-x or 5"_s},
        {u"u::8"_s, u"\u201cu::8\u201d has no rights such as rwx, r-x or 5"_s},
        {u"u::"_s, u"\u201cu::\u201d has no rights such as rwx, r-x or 5"_s},
        {u"user:rwx"_s,
         u"\u201cuser:rwx\u201d is not an entry such as user:NAME:rwx or mask::r--"_s},
        {u"m:x:rwx"_s, u"\u201cm:x:rwx\u201d is not an entry such as user:NAME:rwx or mask::r--"_s},
        {u"u:no-such-user-here:r"_s,
         u"\u201cu:no-such-user-here:r\u201d names no user the system knows"_s},
        {u"g:4294967295:r"_s, u"\u201cg:4294967295:r\u201d names no group the system knows"_s},
        {u"u:nobody\u0000x:r"_s, u"entry 1 names no user the system knows"_s},
        {u"d:u::rwx,g::r,o::r"_s,
         u"\u201cd:u::rwx\u201d is a default entry, which belongs in the default list"_s},
        {u"g::r,o::r"_s, u"it has no user:: entry"_s},
        {u"u::r,u::w,g::r,o::r"_s, u"it has more than one user:: entry"_s},
        {u"u::r,o::r"_s, u"it has no group:: entry"_s},
        {u"u::r,g::r"_s, u"it has no other:: entry"_s},
        {u"u::r,g::r,o::r,m::r,m::w"_s, u"it has more than one mask:: entry"_s},
        {u"u::r,g::r,o::r,m::r,u:nobody:r,u:65534:w"_s, u"it names user 65534 twice"_s},
    };
    for (const auto& [text, problem] : cases)
        EXPECT_EQ(PosixAcl::fromText(text, PosixAcl::Kind::Access, accounts).problem, problem)
            << text.toStdString();
}
