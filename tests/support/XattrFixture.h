#pragma once

#include <functional>

#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh temporary folder per test, and raw attribute calls that bypass the code under test so
// that a fault in it cannot hide itself.
class XattrFixture : public ::testing::Test {
protected:
    using Attributes = QMap<QByteArray, QByteArray>;

    void SetUp() override;
    // Removes the folder whole, names that are not UTF-8 and paths deeper than PATH_MAX included,
    // which QTemporaryDir's own cleanup leaves behind.
    void TearDown() override;

    // Creates (or truncates) a file below the temporary folder, and the folders it needs; returns
    // its absolute path.
    QString makeFile(const QString& name, const QByteArray& content = {});
    QString makeFolder(const QString& name);
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }

    // Full system names, for example "user.comment".
    static void setRaw(const QString& path, const QByteArray& name, const QByteArray& value);
    static void setRaw(const QByteArray& path, const QByteArray& name, const QByteArray& value);
    static QByteArray getRaw(const QString& path, const QByteArray& name);
    static bool hasRaw(const QString& path, const QByteArray& name);
    // Paths as bytes, for names that are not UTF-8. The names in the system's order.
    static QList<QByteArray> listRaw(const QByteArray& path);
    static Attributes rawAttributes(const QByteArray& path);
    // Every attribute at or below root, one line each ("PATH NAME=HEX", by path and name), links
    // not followed (a link's own attributes are its own): trees compared whole, without the code
    // under test.
    static QByteArray attributeListing(const QByteArray& root);
    // A file's bytes, or "(unreadable)".
    static QByteArray contentOf(const QString& path);
    // Runs a tool (cat, sh, ...) to the end with input on its stdin; its stdout.
    static QByteArray runTool(const QString& program, const QStringList& arguments,
                              const QByteArray& input = {});

    // Whether body returned true in a child process whose files may grow to at most limit bytes
    // (SIGXFSZ ignored, so a write past it fails instead): a save that fails half-way, without
    // touching the test run's own limits.
    static bool succeedsWithFileSizeLimit(qint64 limit, const std::function<bool()>& body);
    // Whether body returned true in a child process, where it may change the process's limits.
    static bool succeedsInChild(const std::function<bool()>& body);
    // What body returned in a child process that runs in folder as a user without privileges
    // (nobody, where the tests run as root), so that permission checks apply; body's own checks
    // cannot reach the test's result, so it returns what the test checks.
    static QByteArray outputAsAnotherUser(const QString& folder,
                                          const std::function<QByteArray()>& body);

private:
    QTemporaryDir m_dir;
};
