#include "core/stripper/RestoreFile.h"

#include "support/FailureTexts.h"
#include "support/XattrFixture.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using RestoreFileTest = XattrFixture;

// Only a new name or a regular file can be a restore file. A FIFO, a device, a socket or a folder
// is refused, and so is a symbolic link (it would be written through), and each is left as it
// was; so is a name in a folder that does not exist.
TEST_F(RestoreFileTest, AnythingButANewNameOrARegularFileIsRefused) {
    const QString fifo = pathOf(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socket = pathOf(u"socket"_s);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(socket);
    ASSERT_LT(socketPath.size(), qsizetype(sizeof address.sun_path));
    std::copy(socketPath.cbegin(), socketPath.cend(), address.sun_path);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QString target = makeFile(u"target"_s, "the link's target");
    const QString link = pathOf(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));
    QList<std::pair<QString, QString>> refused = {
        {fifo, u"is a FIFO, not a regular file"_s},
        {socket, u"is a socket, not a regular file"_s},
        {makeFolder(u"folder"_s), u"is a folder, not a regular file"_s},
        {link, u"is a symbolic link, not a regular file"_s},
        {pathOf(u"missing/file"_s), u"No such file or directory"_s},
        {u"/dev/stdout"_s, u"is a symbolic link, not a regular file"_s},
    };
    // Where this user may make a device node (as root, outside most containers).
    const QString device = pathOf(u"device"_s);
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        refused.append({device, u"is a character device, not a regular file"_s});
    for (const auto& [path, reason] : refused) {
        const Result<std::unique_ptr<RestoreFile>> file = RestoreFile::open(path);
        EXPECT_FALSE(file);
        EXPECT_EQ(lineOf(file), path + u": "_s + reason);
    }
    struct stat status = {};
    EXPECT_TRUE(::lstat(QFile::encodeName(fifo).constData(), &status) == 0 &&
                S_ISFIFO(status.st_mode));
    EXPECT_EQ(contentOf(target), "the link's target");
    // Nothing is left beside them either.
    EXPECT_EQ(QDir(pathOf({})).entryList({u".palvorn-restore-*"_s}, QDir::Hidden | QDir::Files),
              QStringList());
    ::close(listening);
}

// A new file takes its name only when the first values are written, and never over an item that
// appeared meanwhile. A regular file keeps what it holds until then, and is then replaced whole,
// with its permissions. Values taken out are gone once the file is finished.
TEST_F(RestoreFileTest, TheNameIsTakenWithTheFirstValuesAndKeepsOnlyThoseRemoved) {
    const QString fresh = pathOf(u"fresh.dump"_s);
    Result<std::unique_ptr<RestoreFile>> opened = RestoreFile::open(fresh);
    ASSERT_TRUE(opened) << lineOf(opened).toStdString();
    std::unique_ptr<RestoreFile> file = std::move(*opened);
    EXPECT_FALSE(QFile::exists(fresh));
    makeFile(u"fresh.dump"_s, "someone else's");
    const Result<qint64> refused = file->append("block\n");
    EXPECT_EQ(refused.value_or(-1), -1);
    EXPECT_EQ(lineOf(refused), fresh + u": File exists"_s);
    EXPECT_EQ(contentOf(fresh), "someone else's");
    file.reset(); // its own file beside the name is gone with it
    EXPECT_EQ(QDir(pathOf({})).entryList(QDir::Hidden | QDir::Files), QStringList{u"fresh.dump"_s});

    const QString existing = makeFile(u"existing.dump"_s, "an older strip's values");
    QFile::setPermissions(existing, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    opened = RestoreFile::open(existing);
    ASSERT_TRUE(opened) << lineOf(opened).toStdString();
    file = std::move(*opened);
    EXPECT_EQ(contentOf(existing), "an older strip's values");
    EXPECT_EQ(file->append("first\n").value_or(-1), 0);
    EXPECT_EQ(contentOf(existing), "first\n");
    EXPECT_EQ(file->append("second\n").value_or(-1), 6);
    EXPECT_EQ(file->append("third\n").value_or(-1), 13);
    file->takeOutLater(6, 7);
    const Result<> finished = file->finish();
    EXPECT_TRUE(finished) << lineOf(finished).toStdString();
    EXPECT_EQ(contentOf(existing), "first\nthird\n");
    EXPECT_EQ(QFile::permissions(existing), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                                QFile::WriteUser | QFile::ReadGroup);
    file.reset();
    EXPECT_EQ(QDir(pathOf({})).entryList(QDir::Hidden | QDir::Files),
              (QStringList{u"existing.dump"_s, u"fresh.dump"_s}));
}
