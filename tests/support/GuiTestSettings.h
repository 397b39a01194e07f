#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>

namespace palvorn {

// Where a window-test process keeps the settings its windows write (File > Open Recent): below the
// tests' own folder, one folder per process, since ctest runs tests side by side and a shared file
// lets one test's recent files appear in another's menu.
inline QString guiTestSettingsFolder() {
    return QDir::temp().filePath(
        QStringLiteral("palvorn-settings-%1").arg(QCoreApplication::applicationPid()));
}

} // namespace palvorn
