#pragma once

#include <QString>
#include <QStringList>

class QSettings;

namespace palvorn {

// The files and folders opened last, newest first, kept with the application's other settings
// under "recentFiles" so that every window's File > Open Recent shows the same list. Paths are
// bytes (see ByteText) and are kept as bytes, so that a name that is not UTF-8 comes back whole.
class RecentFiles {
public:
    // Bounds the list in memory and in the settings file, whatever the file was edited to hold.
    static constexpr qsizetype maxCount = 10;

    static QStringList paths(const QSettings& settings);
    // Moves the path to the front (once only) and drops the oldest beyond maxCount.
    static void add(QSettings& settings, const QString& path);
    static void clear(QSettings& settings);
    // Whether the path names something now (a file on a drive not mounted does not).
    static bool exists(const QString& path);

private:
    static QString key();
};

} // namespace palvorn
