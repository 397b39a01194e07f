#pragma once

#include "cli/CliRunner.h"
#include "support/XattrFixture.h"

#include <memory>

#include <QFile>
#include <QTemporaryDir>

// The command-line tests: real files in the fixture's folder, and for the runs as another user a
// second folder below /tmp that this user may enter (the fixture's own folder is closed to it).
class CliFixture : public XattrFixture {
protected:
    QString sharedPath(const QString& relative) {
        if (!m_shared) {
            m_shared = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/palvorn-test-XXXXXX"));
            EXPECT_TRUE(m_shared->isValid());
            QFile::setPermissions(m_shared->path(), openToOthers);
        }
        return relative.isEmpty() ? m_shared->path() : m_shared->filePath(relative);
    }
    QString makeSharedFile(const QString& relative) {
        const QString path = sharedPath(relative);
        EXPECT_TRUE(QFile(path).open(QIODevice::WriteOnly)) << path.toStdString();
        return path;
    }

    static CliResult success(const QString& out) { return {0, out, {}}; }
    static CliResult failure(const QString& err, const QString& out = {}) { return {1, out, err}; }

    static constexpr QFileDevice::Permissions openToOthers =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;

private:
    std::unique_ptr<QTemporaryDir> m_shared;
};
