#include "model/ResourceItem.h"

#include "model/TextDecoding.h"
#include "model/plist/BinaryPlistReader.h"
#include "model/plist/BinaryPlistWriter.h"

namespace palvorn {

namespace {

const QString nameKey = QStringLiteral("name");
const QString dataKey = QStringLiteral("data");

QString sizeText(qsizetype length) {
    return QStringLiteral("%1 bytes").arg(length);
}

} // namespace

ResourceItem::ResourceItem(QString name, QByteArray data)
    : m_name(std::move(name)), m_data(std::move(data)), m_size(sizeText(m_data.size())),
      m_type(detectType()) {}

qint64 ResourceItem::detectType() const {
    // Only the magic of a binary property list is recognised; nothing else of the value is read.
    if (m_data.size() < 9)
        return BinaryType;
    const std::optional<QString> head = decodeUtf8(QByteArrayView(m_data).first(8));
    if (!head)
        return BinaryType;
    if (*head == u"bplist00")
        return PropertyListType;
    return decodeUtf8(m_data) ? TextType : BinaryType;
}

QByteArray ResourceItem::archive() const {
    // A string and a data object can always be written, so the writer cannot refuse this tree.
    return BinaryPlistWriter::write(PlistValue::dictionary({
                                        {nameKey, PlistValue::string(m_name)},
                                        {dataKey, PlistValue::data(m_data)},
                                    }))
        .value_or(QByteArray());
}

std::shared_ptr<ResourceItem> ResourceItem::fromArchive(QByteArrayView archive) {
    const std::optional<PlistValue> root = BinaryPlistReader::read(archive);
    if (!root || root->kind() != PlistValue::Kind::Dictionary || root->toDictionary().size() != 2)
        return nullptr;
    const PlistValue* name = root->find(nameKey);
    const PlistValue* data = root->find(dataKey);
    if (!name || name->kind() != PlistValue::Kind::String || !data ||
        data->kind() != PlistValue::Kind::Data)
        return nullptr;
    return std::make_shared<ResourceItem>(name->toString(), data->toData());
}

} // namespace palvorn
