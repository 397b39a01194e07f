#include "model/FolderText.h"

#include <QDir>
#include <QFileInfo>

namespace palvorn {

QString FolderText::expandedPath(const QString& text, const QString& homePath) {
    if (!text.startsWith(u'~'))
        return text;
    QString home = homePath;
    while (home.size() > 1 && home.endsWith(u'/'))
        home.chop(1);
    return home + text.mid(1);
}

QString FolderText::folderPath(const QString& text, const QString& homePath) {
    return QDir::cleanPath(QFileInfo(expandedPath(text, homePath)).absoluteFilePath());
}

} // namespace palvorn
