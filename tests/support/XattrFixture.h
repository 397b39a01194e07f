#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh temporary folder per test, and raw attribute calls that bypass the code under test so
// that a fault in it cannot hide itself.
class XattrFixture : public ::testing::Test {
protected:
    void SetUp() override;

    // Creates (or truncates) a file below the temporary folder and returns its absolute path.
    QString makeFile(const QString& name, const QByteArray& content = {});
    QString makeFolder(const QString& name);
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }

    // Full system names, for example "user.comment".
    static void setRaw(const QString& path, const QByteArray& name, const QByteArray& value);
    static QByteArray getRaw(const QString& path, const QByteArray& name);
    static bool hasRaw(const QString& path, const QByteArray& name);

private:
    QTemporaryDir m_dir;
};
