#include "gui/platform/QtPasteboard.h"

#include "core/model/ResourceItem.h"
#include "core/plist/PropertyListSerialization.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace palvorn {

QString QtPasteboard::mimeType() {
    return QStringLiteral("application/x-") + ResourceItem::pasteboardType();
}

void QtPasteboard::writeRecords(const QList<QByteArray>& archives) {
    PlistValue::Array items;
    QStringList names;
    for (const QByteArray& archive : archives) {
        items.append(PlistValue::data(archive));
        if (const auto record = ResourceItem::fromArchive(archive))
            names.append(record->name());
    }
    auto* mime = new QMimeData;
    mime->setData(mimeType(),
                  PropertyListSerialization::write(PlistValue::array(items),
                                                   PropertyListSerialization::Format::Binary)
                      .value_or(QByteArray()));
    mime->setText(names.join(u'\n'));
    QGuiApplication::clipboard()->setMimeData(mime);
}

QList<std::optional<QByteArray>> QtPasteboard::items() const {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || mime->formats().isEmpty())
        return {};
    const std::optional<PlistValue> list =
        mime->hasFormat(mimeType()) ? PropertyListSerialization::readBinary(mime->data(mimeType()))
                                    : std::nullopt;
    if (!list || list->kind() != PlistValue::Kind::Array)
        return {std::nullopt};
    QList<std::optional<QByteArray>> items;
    for (const PlistValue& item : list->toArray()) {
        if (item.kind() == PlistValue::Kind::Data)
            items.append(item.toData());
        else
            items.append(std::nullopt);
    }
    return items;
}

} // namespace palvorn
