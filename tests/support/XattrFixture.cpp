#include "support/XattrFixture.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <grp.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

void XattrFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid()) << m_dir.errorString().toStdString();
}

void XattrFixture::TearDown() {
    // Never an empty or relative path: that would be the folder the tests run in.
    if (m_dir.isValid() && QDir::isAbsolutePath(m_dir.path()))
        QProcess::execute(QStringLiteral("rm"),
                          {QStringLiteral("-rf"), QStringLiteral("--"), m_dir.path()});
}

QString XattrFixture::makeFile(const QString& name, const QByteArray& content) {
    QDir(m_dir.path()).mkpath(QFileInfo(name).path());
    QFile file(pathOf(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    file.write(content);
    return file.fileName();
}

QString XattrFixture::makeFolder(const QString& name) {
    EXPECT_TRUE(QDir(m_dir.path()).mkpath(name));
    return pathOf(name);
}

void XattrFixture::setRaw(const QString& path, const QByteArray& name, const QByteArray& value) {
    setRaw(QFile::encodeName(path), name, value);
}

void XattrFixture::setRaw(const QByteArray& path, const QByteArray& name, const QByteArray& value) {
    ASSERT_EQ(::setxattr(path.constData(), name.constData(), value.constData(),
                         static_cast<size_t>(value.size()), 0),
              0)
        << "setxattr " << name.toStdString() << ": " << std::strerror(errno);
}

// Empty when the item has no such attribute. 64 KiB is the largest value Linux keeps and the most
// it lists for one item.
static std::optional<QByteArray> readRaw(const QByteArray& path, const QByteArray& name) {
    QByteArray value(65536, '\0');
    const ssize_t length = ::getxattr(path.constData(), name.constData(), value.data(), 65536);
    return length < 0 ? std::nullopt : std::optional(value.left(length));
}

QByteArray XattrFixture::getRaw(const QString& path, const QByteArray& name) {
    return readRaw(QFile::encodeName(path), name).value_or(QByteArray());
}

bool XattrFixture::hasRaw(const QString& path, const QByteArray& name) {
    return readRaw(QFile::encodeName(path), name).has_value();
}

QList<QByteArray> XattrFixture::listRaw(const QByteArray& path) {
    QByteArray list(65536, '\0');
    const ssize_t size = ::listxattr(path.constData(), list.data(), 65536);
    EXPECT_GE(size, 0) << path.toStdString();
    list.truncate(size > 0 ? size - 1 : 0); // without the last name's NUL
    return list.isEmpty() ? QList<QByteArray>() : list.split('\0');
}

XattrFixture::Attributes XattrFixture::rawAttributes(const QByteArray& path) {
    Attributes attributes;
    for (const QByteArray& name : listRaw(path))
        attributes.insert(name, readRaw(path, name).value_or("(listed but unreadable)"));
    return attributes;
}

namespace {

void collectAttributes(const QByteArray& path,
                       QMap<QByteArray, QMap<QByteArray, QByteArray>>& items) {
    struct stat status = {};
    if (::lstat(path.constData(), &status) != 0)
        return;
    QByteArray list(65536, '\0');
    const ssize_t size = ::llistxattr(path.constData(), list.data(), size_t(list.size()));
    QMap<QByteArray, QByteArray>& attributes = items[path];
    for (const QByteArray& name : list.first(std::max<ssize_t>(size, 0)).split('\0')) {
        if (name.isEmpty())
            continue;
        QByteArray value(65536, '\0');
        const ssize_t length =
            ::lgetxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
        attributes.insert(name,
                          length < 0 ? QByteArray("(listed but unreadable)") : value.first(length));
    }
    if (!S_ISDIR(status.st_mode))
        return;
    DIR* folder = ::opendir(path.constData());
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            collectAttributes(path + '/' + name, items);
    }
    ::closedir(folder);
}

} // namespace

QByteArray XattrFixture::attributeListing(const QByteArray& root) {
    QByteArray listing;
    QMap<QByteArray, Attributes> items;
    collectAttributes(root, items);
    for (auto item = items.cbegin(); item != items.cend(); ++item)
        for (auto attribute = item->cbegin(); attribute != item->cend(); ++attribute)
            listing += item.key() + ' ' + attribute.key() + '=' + attribute->toHex() + '\n';
    return listing;
}

QByteArray XattrFixture::contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QByteArray XattrFixture::runTool(const QString& program, const QStringList& arguments,
                                 const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted()) << program.toStdString();
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
}

bool XattrFixture::succeedsWithFileSizeLimit(qint64 limit, const std::function<bool()>& body) {
    return succeedsInChild([&] {
        const struct rlimit bytes = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &bytes);
        return body();
    });
}

bool XattrFixture::succeedsInChild(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArray XattrFixture::outputAsAnotherUser(const QString& folder,
                                             const std::function<QByteArray()>& body) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        // Entered first: the folders above it may be closed to that user.
        const bool ready = ::chdir(QFile::encodeName(folder).constData()) == 0 &&
                           (::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                 ::setresgid(65534, 65534, 65534) == 0 &&
                                                 ::setresuid(65534, 65534, 65534) == 0));
        const QByteArray output = ready ? body() : QByteArray("(could not become another user)");
        for (qsizetype written = 0; written < output.size();) {
            const ssize_t count = ::write(pipe[1], output.constData() + written,
                                          static_cast<size_t>(output.size() - written));
            if (count <= 0)
                break;
            written += count;
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    QByteArray output;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, count);
    ::close(pipe[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return output;
}
