#include "core/model/FileCapabilities.h"

#include "support/XattrFixture.h"

#include <cerrno>
#include <sys/xattr.h>

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtEndian>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

class FileCapabilitiesTest : public XattrFixture {
protected:
    void SetUp() override {
        XattrFixture::SetUp();
        m_file = makeFile(u"program"_s);
        // Writing security.capability needs CAP_SETFCAP.
        const QByteArray probe = QByteArray::fromHex("0000000200000000000000000000000000000000");
        if (::setxattr(QFile::encodeName(m_file).constData(), "security.capability",
                       probe.constData(), size_t(probe.size()), 0) != 0)
            GTEST_SKIP() << "file capabilities cannot be set here: " << std::strerror(errno);
    }

    static QString tool(const QString& name) {
        return QStandardPaths::findExecutable(name, {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s});
    }
    // What getcap -n prints after the file's name.
    QString getcap() const {
        const QString line = QString::fromUtf8(runTool(tool(u"getcap"_s), {u"-n"_s, m_file}));
        return line.sliced(m_file.size() + 1).trimmed();
    }

    QString m_file;
};

// Whatever the sets, the text is what getcap prints: named capabilities grouped by the sets they
// are in around the most common combination, bits without a name by number, a namespace's root
// user id; and the text reads back as the same sets.
TEST_F(FileCapabilitiesTest, TextIsGetcapsForAnySetsAndReadsBack) {
    QList<QByteArray> values;
    for (const QStringList& setcap : {QStringList{u"cap_net_bind_service=ep"_s},
                                      {u"cap_net_raw,cap_net_admin=eip"_s},
                                      {u"cap_chown=i cap_kill=p"_s},
                                      {u"all=ep"_s},
                                      {u"all=i"_s},
                                      {u"all=p cap_chown-p"_s},
                                      {u"all=ip cap_chown-i cap_kill-p"_s},
                                      {u"="_s},
                                      {u"-n"_s, u"1000"_s, u"cap_setuid=ep"_s}}) {
        runTool(tool(u"setcap"_s), setcap + QStringList{m_file});
        values.append(getRaw(m_file, "security.capability"));
    }
    // Combinations tied in number (20 permitted, 20 inheritable, 1 in neither; 13 in both, 14
    // inheritable, 14 in neither), then random sets, some with the bits above the named ones.
    values.append(QByteArray::fromHex("00000002ffff0f000000f0ff00000000ff000000"));
    values.append(QByteArray::fromHex("00000002ff1f0000ffffff070000000000000000"));
    QRandomGenerator random(26);
    for (int round = 0; round < 120; ++round) {
        QByteArray value(20, '\0');
        const quint64 permitted = random.generate64() & random.generate64();
        const quint64 inheritable = round % 3 == 0 ? 0 : random.generate64() & random.generate64();
        qToLittleEndian<quint32>(0x02000000 | (round % 2), value.data());
        qToLittleEndian<quint32>(quint32(permitted), value.data() + 4);
        qToLittleEndian<quint32>(quint32(inheritable), value.data() + 8);
        qToLittleEndian<quint32>(quint32(permitted >> 32) & (round % 4 ? 0x1FF : ~0u),
                                 value.data() + 12);
        qToLittleEndian<quint32>(quint32(inheritable >> 32) & 0x1FF, value.data() + 16);
        values.append(value);
    }
    for (const QByteArray& value : values) {
        setRaw(m_file, "security.capability", value);
        const Parsed<FileCapabilities> capabilities = FileCapabilities::fromXattr(value);
        ASSERT_TRUE(capabilities) << capabilities.problem.toStdString();
        const QString text = capabilities.value->toText();
        EXPECT_EQ(text, getcap()) << value.toHex().constData();
        const Parsed<FileCapabilities> back = FileCapabilities::fromText(text);
        ASSERT_TRUE(back) << text.toStdString() << ": " << back.problem.toStdString();
        EXPECT_EQ(back.value->toXattr(), value) << text.toStdString();
    }
}

// setcap's texts stand for the bytes setcap writes; what setcap refuses is refused with a reason.
TEST_F(FileCapabilitiesTest, SetcapsTextsStandForTheBytesSetcapWrites) {
    for (const QString& text :
         {u"cap_net_bind_service+ep"_s, u"CAP_CHOWN=p"_s, u"cap_chown=pp"_s, u"1=p 41=p 63=i"_s,
          u"cap_chown+p-p"_s, u"ALL=p"_s, u"all="_s, u"cap_chown=p+i-p"_s,
          u"cap_chown=p\tcap_kill=i\n"_s, u"=eip cap_chown-i cap_kill-p"_s}) {
        runTool(tool(u"setcap"_s), {text, m_file});
        const Parsed<FileCapabilities> capabilities = FileCapabilities::fromText(text);
        ASSERT_TRUE(capabilities) << text.toStdString() << ": "
                                  << capabilities.problem.toStdString();
        EXPECT_EQ(capabilities.value->toXattr(), getRaw(m_file, "security.capability"))
            << text.toStdString();
    }
    const Parsed<FileCapabilities> rooted =
        FileCapabilities::fromText(u"cap_setuid=ep [rootid=1000]"_s);
    runTool(tool(u"setcap"_s), {u"-n"_s, u"1000"_s, u"cap_setuid=ep"_s, m_file});
    EXPECT_EQ(rooted.value->toXattr(), getRaw(m_file, "security.capability"));
    // Any 32-bit root id that a value holds reads back from its text, mapped or not.
    EXPECT_EQ(FileCapabilities::fromText(u"=p [rootid=4294967295]"_s).value->rootId(), 0xFFFFFFFFu);

    const std::pair<QString, QString> refused[] = {
        {u""_s, u"it holds no clause such as cap_chown=ep or ="_s},
        {u"cap_chown"_s, u"\u201ccap_chown\u201d has no =, + or -"_s},
        {u"+ep"_s, u"\u201c+ep\u201d names no capabilities"_s},
        {u"chown=p"_s, u"\u201cchown=p\u201d names a capability that does not exist"_s},
        {u"64=p"_s, u"\u201c64=p\u201d names a capability that does not exist"_s},
        {u"cap_chown,=p"_s, u"\u201ccap_chown,=p\u201d names a capability that does not exist"_s},
        {u"Cap_Chown=P"_s, u"\u201cCap_Chown=P\u201d has sets other than e, i and p"_s},
        {u"cap_chown=x"_s, u"\u201ccap_chown=x\u201d has sets other than e, i and p"_s},
        {u"cap_chown=p-"_s, u"\u201ccap_chown=p-\u201d adds or removes no set"_s},
        {u"cap_chown=ep cap_kill=p"_s,
         u"a file's effective set must be empty or hold exactly its permitted and inheritable "
         u"ones"_s},
        {u"cap_chown=e"_s,
         u"a file's effective set must be empty or hold exactly its permitted and inheritable "
         u"ones"_s},
        {u"cap_chown=p [rootid=-1]"_s,
         u"\u201c[rootid=-1]\u201d is not a root user id such as [rootid=1000]"_s},
        {u"=p [rootid=4294967296]"_s,
         u"\u201c[rootid=4294967296]\u201d is not a root user id such as [rootid=1000]"_s},
        {u"[rootid=7]"_s, u"it holds no clause such as cap_chown=ep or ="_s},
    };
    for (const auto& [text, problem] : refused)
        EXPECT_EQ(FileCapabilities::fromText(text).problem, problem) << text.toStdString();
}
