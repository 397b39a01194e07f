#include "model/ResourceList.h"

#include "model/XattrAccess.h"
#include "platform/ErrorAlert.h"

namespace palvorn {

ResourceList::ResourceList(QUrl url, ErrorAlert& alert) : m_url(std::move(url)) {
    const QByteArray path = nativePath(m_url.toLocalFile());
    QStringList names;
    try {
        names = listXattrs(path);
    } catch (const PosixError& error) {
        alert.showErrorAlert(QStringLiteral("listxattr error: ") + error.description());
        return;
    }
    for (const QString& name : std::as_const(names)) {
        try {
            m_children.append(std::make_shared<ResourceItem>(name, getXattr(path, name)));
        } catch (const PosixError& error) {
            alert.showErrorAlert(QStringLiteral("getxattr error: ") + error.description());
        }
    }
}

QStringList ResourceList::displayTexts() const {
    QStringList texts;
    texts.reserve(m_children.size());
    for (const ResourceItemPtr& item : m_children)
        texts.append(item->displayText());
    return texts;
}

} // namespace palvorn
