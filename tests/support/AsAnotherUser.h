#pragma once

#include <functional>
#include <memory>
#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The system's own permission checks as another user meets them, in this process: run as root,
// the body runs with the effective user and group "nobody", and root again after it. A test that
// is not root is another user already. Its files go in a folder below /tmp that this user may
// enter (the fixture's own folder is closed to it).
class AsAnotherUser {
public:
    AsAnotherUser() : m_dir(QStringLiteral("/tmp/palvorn-test-XXXXXX")) {
        EXPECT_TRUE(m_dir.isValid());
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther);
    }

    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    static void run(const std::function<void()>& body) {
        if (::geteuid() != 0)
            return body();
        const struct passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(::setegid(nobody->pw_gid), 0);
        ASSERT_EQ(::seteuid(nobody->pw_uid), 0);
        body();
        EXPECT_EQ(::seteuid(0), 0);
        EXPECT_EQ(::setegid(0), 0);
    }

private:
    QTemporaryDir m_dir;
};
