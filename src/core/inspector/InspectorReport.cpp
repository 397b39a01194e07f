#include "core/inspector/InspectorReport.h"

#include "core/model/AtomicSave.h"
#include "core/model/AttributeName.h"
#include "core/model/HexCodec.h"
#include "core/model/JsonText.h"
#include "core/model/ResourceList.h"
#include "core/model/XattrAccess.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace palvorn {

namespace {

std::optional<struct stat> statOf(const QString& path) {
    struct stat status = {};
    if (::stat(nativePath(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

} // namespace

QString InspectorReport::bodyOf(const QStringList& displayTexts) {
    return displayTexts.join(separator());
}

QString InspectorReport::reportText(const QString& pathText, const QString& body) {
    return pathText + u'\n' + separator() + body;
}

QByteArray InspectorReport::attributesJson(const QString& path, const QList<ResourceItemPtr>& items,
                                           const QList<Error>& failures, bool details) {
    QJsonObject report;
    JsonText::insertBytes(report, QStringLiteral("path"), nativePath(path));
    QJsonArray attributes;
    for (const ResourceItemPtr& item : items) {
        QJsonObject attribute;
        JsonText::insertBytes(attribute, QStringLiteral("name"), item->rawName());
        attribute.insert(QStringLiteral("size"), item->data().size());
        if (details) {
            JsonText::insertValue(attribute, QStringLiteral("value_base64"), item->data());
            attribute.insert(QStringLiteral("hex"), HexCodec::grouped(item->data()));
            attribute.insert(QStringLiteral("content"), item->contentText());
        }
        attributes.append(attribute);
    }
    report.insert(QStringLiteral("attributes"), attributes);
    report.insert(QStringLiteral("errors"), QJsonArray::fromStringList(Error::lineTexts(failures)));
    return JsonText::compact(report);
}

QString InspectorReport::sizeSummary(const ResourceList* list, const QString& path) {
    qint64 attributeTotal = 0;
    if (list) {
        for (const ResourceItemPtr& item : list->children())
            attributeTotal += item->data().size();
    }
    const std::optional<struct stat> status = path.isEmpty() ? std::nullopt : statOf(path);
    const qint64 dataSize = status ? qint64(status->st_size) : 0;
    return QStringLiteral("Xattr %1, data %2, total %3")
        .arg(attributeTotal)
        .arg(dataSize)
        .arg(attributeTotal + dataSize);
}

QString InspectorReport::defaultReportName(const QString& fileName) {
    return fileName + QStringLiteral("_MD.text");
}

QString InspectorReport::writeReport(const QString& target, const QString& text,
                                     const QString& inspectedPath) {
    if (!inspectedPath.isEmpty() && AtomicSave::isSameFile(target, inspectedPath))
        return QStringLiteral(
                   "The report was not saved: \u201c%1\u201d is the inspected file itself. "
                   "Choose another name for the report.")
            .arg(displayName(nativePath(QFileInfo(target).fileName())));
    if (const Result<> saved = AtomicSave::write(target, text.toUtf8()); !saved)
        return QStringLiteral("The report could not be saved to \u201c%1\u201d: %2")
            .arg(displayName(nativePath(target)), saved.error().reason());
    return {};
}

} // namespace palvorn
