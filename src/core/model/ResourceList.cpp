#include "core/model/ResourceList.h"

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
    const Result<QList<QByteArray>> names = listXattrs(path, links);
    if (!names) {
        m_failures.append(Error::fromError(QStringLiteral("listxattr"), names.error(), localPath));
        return;
    }
    for (const QByteArray& name : *names) {
        if (!filter.matches(name))
            continue;
        const Result<QByteArray> value = getXattr(path, name, links);
        if (value) {
            m_children.append(std::make_shared<ResourceItem>(name, *value));
            m_rows.append({name, m_children.constLast(), std::nullopt});
            continue;
        }
        // Removed elsewhere between the listing and the read (the read has checked it is no
        // longer listed): the file no longer has it, which is not a failure.
        if (value.error().code() == noSuchAttribute)
            continue;
        m_failures.append(
            Error::fromError(QStringLiteral("getxattr"), value.error(), localPath, name));
        m_rows.append({name, nullptr, m_failures.constLast()});
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
