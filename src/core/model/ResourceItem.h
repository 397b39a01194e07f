#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>

namespace palvorn {

// One extended attribute. Records are shared: the list, the editor and the pasteboard may hold
// the same record, and the editor changes its type in place. Two records are equal only when
// they are the same object; values are compared through data().
class ResourceItem {
public:
    // Content type codes. The editor may also store the index of its format choice here.
    static constexpr qint64 TextType = 0;
    static constexpr qint64 PropertyListType = 1;
    static constexpr qint64 BinaryType = 2;
    // A structure that the name promises (an access control list, file capabilities, a security
    // label) and that the value holds; the editor's fifth format.
    static constexpr qint64 StructureType = 4;

    // The type under which records travel on the pasteboard.
    static QString pasteboardType() { return QStringLiteral("co.brackenfield.palvorn.resitem"); }

    // rawName: the name's bytes as the system lists them.
    ResourceItem(QByteArray rawName, QByteArray data);
    // A name given as text, such as a fixed name of the program's: its UTF-8 bytes. What a
    // person types is read with typedName (AttributeName.h) instead, escapes and all.
    ResourceItem(const QString& typedName, QByteArray data);

    // Rebuilds a record from its archive form; nullptr for anything that is not exactly that form.
    // Size and type are computed again from the data. The name is a string when it is valid
    // UTF-8, as every reader of the form expects; a name that is not is kept as a data object
    // with its bytes, which readers that know only strings refuse instead of misreading.
    static std::shared_ptr<ResourceItem> fromArchive(QByteArrayView archive);
    QByteArray archive() const;

    qint64 detectType() const;

    // The renderings never fail: every parse or decode failure falls back to a fixed text.
    // The full text of the record: header, hex text, and a content section by type.
    QString displayText() const;
    // The content section alone: what follows the hex text and its empty line.
    QString contentText() const;
    // The XML form of a binary property list, or "Not a binary Plist\n".
    QString plistAsXML() const;
    // What the editor shows for the record's current type; the editor converts it back.
    QString editableText() const;
    // The same text where the current type can show the value; none where editableText falls
    // back to hex text: a value that is not UTF-8 as text, one that is not a property list as
    // one, one that is not its name's structure as that.
    std::optional<QString> textInType() const;

    // The name as shown to a person (displayName): escapes for controls, backslashes and bytes
    // that are not UTF-8.
    const QString& name() const { return m_name; }
    const QByteArray& rawName() const { return m_rawName; }
    const QByteArray& data() const { return m_data; }
    const QString& size() const { return m_size; }
    qint64 type() const { return m_type; }
    void setType(qint64 type) { m_type = type; }

private:
    QByteArray m_rawName;
    QString m_name;
    QByteArray m_data;
    QString m_size;
    qint64 m_type;
};

using ResourceItemPtr = std::shared_ptr<ResourceItem>;

} // namespace palvorn
