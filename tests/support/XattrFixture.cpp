#include "support/XattrFixture.h"

#include <cerrno>
#include <sys/xattr.h>

#include <QDir>
#include <QFile>

void XattrFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid()) << m_dir.errorString().toStdString();
}

QString XattrFixture::makeFile(const QString& name, const QByteArray& content) {
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
    ASSERT_EQ(::setxattr(QFile::encodeName(path).constData(), name.constData(), value.constData(),
                         static_cast<size_t>(value.size()), 0),
              0)
        << "setxattr " << name.toStdString() << ": " << std::strerror(errno);
}

QByteArray XattrFixture::getRaw(const QString& path, const QByteArray& name) {
    const QByteArray native = QFile::encodeName(path);
    const ssize_t size = ::getxattr(native.constData(), name.constData(), nullptr, 0);
    if (size < 0)
        return {};
    QByteArray value(static_cast<qsizetype>(size), '\0');
    const ssize_t read = ::getxattr(native.constData(), name.constData(), value.data(),
                                    static_cast<size_t>(value.size()));
    value.truncate(read < 0 ? 0 : static_cast<qsizetype>(read));
    return value;
}

bool XattrFixture::hasRaw(const QString& path, const QByteArray& name) {
    return ::getxattr(QFile::encodeName(path).constData(), name.constData(), nullptr, 0) >= 0;
}
