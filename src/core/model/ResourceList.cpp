#include "core/model/ResourceList.h"

#include "core/model/SizedRead.h"
#include "core/model/XattrAccess.h"

namespace palvorn {

ResourceList::ResourceList(QUrl url)
    : ResourceList(url, url.toLocalFile(), Links::Follow, NameFilter()) {}

ResourceList ResourceList::ofPath(const QString& localPath, Links links, const NameFilter& filter) {
    return ResourceList(QUrl::fromLocalFile(localPath), localPath, links, filter);
}

ResourceList::ResourceList(QUrl url, const QString& localPath, Links links,
                           const NameFilter& filter)
    : m_url(std::move(url)) {
    const QByteArray path = nativePath(localPath);
    QList<QByteArray> names;
    try {
        names = listXattrs(path, links);
    } catch (const PosixError& error) {
        m_failures.append(
            AttributeFailure::fromError(QStringLiteral("listxattr"), error, localPath));
        return;
    }
    for (const QByteArray& name : std::as_const(names)) {
        if (!filter.matches(name))
            continue;
        try {
            m_children.append(std::make_shared<ResourceItem>(name, getXattr(path, name, links)));
            m_rows.append({name, m_children.constLast(), std::nullopt});
        } catch (const PosixError& error) {
            // Removed elsewhere between the listing and the read (the read has checked it is no
            // longer listed): the file no longer has it, which is not a failure.
            if (error.code() == SizedRead::noSuchAttribute)
                continue;
            m_failures.append(
                AttributeFailure::fromError(QStringLiteral("getxattr"), error, localPath, name));
            m_rows.append({name, nullptr, m_failures.constLast()});
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
