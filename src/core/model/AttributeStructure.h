#pragma once

#include "core/model/Parsed.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace palvorn {

// The attributes whose names promise a structure that Linux defines, and their renderings as
// the system's own tools write them: access control lists as getfacl, file capabilities as
// getcap, security labels as text, integrity digests and signatures field by field. Every other
// name has no structure here and keeps the content rules of all values. A value that is not what
// its name promises is rendered as any other value, after one line that says why.
class AttributeStructure {
public:
    enum class Kind { None, AccessAcl, DefaultAcl, Capabilities, Label, Integrity };

    static Kind kindOf(QByteArrayView rawName);
    static AttributeStructure read(QByteArrayView rawName, QByteArrayView value);

    Kind kind() const { return m_kind; }
    bool promised() const { return m_kind != Kind::None; }
    bool parsed() const { return promised() && m_problem.isEmpty(); }
    // "Access control list:", "Default access control list:", "File capabilities:",
    // "Security label:", "Integrity data:"; empty for other names.
    QString heading() const;
    // The rendering, one line feed after each line; empty unless parsed.
    const QString& text() const { return m_text; }
    // Why the value is not what its name promises; empty when it is, or when it promises nothing.
    const QString& problem() const { return m_problem; }

    // The inspector's content section: the heading, an empty line and the rendering.
    QString displaySection() const;
    // "Not an access control list: its version is 3, not 2.\n"; empty unless there is a problem.
    QString problemLine() const;
    // The crawl reports' lines: the heading and the rendering when parsed, the problem line when
    // not, nothing for other names.
    QString crawlLines() const;

    // The editor edits access control lists, capabilities and labels in their own text; integrity
    // values are made by signing tools and stay hex text.
    static bool isEditable(Kind kind);
    // The editor's format entry ("Access control list") and palvorn-cli's word for it ("acl").
    static QString formatName(Kind kind);
    static QString formatWord(Kind kind);
    // Whether the value is what the name promises and editable as such; looks up no accounts.
    static bool holdsEditable(QByteArrayView rawName, QByteArrayView value);
    // The editor's text: the rendering, or nothing when the value is not what its name promises.
    static std::optional<QString> editableText(QByteArrayView rawName, QByteArrayView value);
    // The bytes an edited text stands for under the name's structure, or why it stands for none.
    static Parsed<QByteArray> bytesFor(QByteArrayView rawName, QStringView text);

private:
    QString problemPrefix() const;

    Kind m_kind = Kind::None;
    QString m_text;
    QString m_problem;
};

} // namespace palvorn
