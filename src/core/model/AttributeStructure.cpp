#include "core/model/AttributeStructure.h"

#include "core/model/AccountNames.h"
#include "core/model/FileCapabilities.h"
#include "core/model/IntegrityValue.h"
#include "core/model/PosixAcl.h"
#include "core/model/SecurityLabel.h"

namespace palvorn {

namespace {

// SELinux's own reads end the label with a NUL; the other modules' do not.
constexpr QByteArrayView selinuxName = "security.selinux";

PosixAcl::Kind aclKind(AttributeStructure::Kind kind) {
    return kind == AttributeStructure::Kind::DefaultAcl ? PosixAcl::Kind::Default
                                                        : PosixAcl::Kind::Access;
}

Parsed<QString> rendering(AttributeStructure::Kind kind, QByteArrayView value) {
    using Kind = AttributeStructure::Kind;
    switch (kind) {
    case Kind::AccessAcl:
    case Kind::DefaultAcl: {
        const Parsed<PosixAcl> acl = PosixAcl::fromXattr(value);
        if (!acl)
            return Parsed<QString>::refused(acl.problem);
        AccountNames accounts;
        return {acl.value->toText(aclKind(kind), accounts), {}};
    }
    case Kind::Capabilities: {
        const Parsed<FileCapabilities> capabilities = FileCapabilities::fromXattr(value);
        if (!capabilities)
            return Parsed<QString>::refused(capabilities.problem);
        return {capabilities.value->toText() + u'\n', {}};
    }
    case Kind::Label: {
        Parsed<QString> label = SecurityLabel::fromXattr(value);
        if (label)
            *label.value += u'\n';
        return label;
    }
    case Kind::Integrity:
        return IntegrityValue::describe(value);
    case Kind::None:
        break;
    }
    return {};
}

} // namespace

AttributeStructure::Kind AttributeStructure::kindOf(QByteArrayView rawName) {
    if (rawName == "system.posix_acl_access")
        return Kind::AccessAcl;
    if (rawName == "system.posix_acl_default")
        return Kind::DefaultAcl;
    if (rawName == "security.capability")
        return Kind::Capabilities;
    if (rawName == selinuxName || rawName == "security.apparmor" ||
        rawName.startsWith("security.SMACK64"))
        return Kind::Label;
    if (rawName == "security.ima" || rawName == "security.evm")
        return Kind::Integrity;
    return Kind::None;
}

AttributeStructure AttributeStructure::read(QByteArrayView rawName, QByteArrayView value) {
    AttributeStructure structure;
    structure.m_kind = kindOf(rawName);
    if (!structure.promised())
        return structure;
    Parsed<QString> rendered = rendering(structure.m_kind, value);
    structure.m_text = rendered.value.value_or(QString());
    structure.m_problem = std::move(rendered.problem);
    return structure;
}

QString AttributeStructure::heading() const {
    switch (m_kind) {
    case Kind::Integrity:
        return QStringLiteral("Integrity data:");
    case Kind::None:
        return {};
    default:
        return formatName(m_kind) + u':';
    }
}

QString AttributeStructure::problemPrefix() const {
    switch (m_kind) {
    case Kind::AccessAcl:
        return QStringLiteral("Not an access control list: ");
    case Kind::DefaultAcl:
        return QStringLiteral("Not a default access control list: ");
    case Kind::Capabilities:
        return QStringLiteral("Not file capabilities: ");
    case Kind::Label:
        return QStringLiteral("Not a security label: ");
    case Kind::Integrity:
        return QStringLiteral("Not integrity data: ");
    case Kind::None:
        break;
    }
    return {};
}

QString AttributeStructure::displaySection() const {
    return parsed() ? heading() + QStringLiteral("\n\n") + m_text : QString();
}

QString AttributeStructure::problemLine() const {
    return m_problem.isEmpty() ? QString() : problemPrefix() + m_problem + QStringLiteral(".\n");
}

QString AttributeStructure::crawlLines() const {
    return parsed() ? heading() + u'\n' + m_text : problemLine();
}

bool AttributeStructure::isEditable(Kind kind) {
    return kind != Kind::None && kind != Kind::Integrity;
}

QString AttributeStructure::formatName(Kind kind) {
    switch (kind) {
    case Kind::AccessAcl:
        return QStringLiteral("Access control list");
    case Kind::DefaultAcl:
        return QStringLiteral("Default access control list");
    case Kind::Capabilities:
        return QStringLiteral("File capabilities");
    case Kind::Label:
        return QStringLiteral("Security label");
    default:
        return {};
    }
}

QString AttributeStructure::formatWord(Kind kind) {
    switch (kind) {
    case Kind::AccessAcl:
    case Kind::DefaultAcl:
        return QStringLiteral("acl");
    case Kind::Capabilities:
        return QStringLiteral("caps");
    case Kind::Label:
        return QStringLiteral("label");
    default:
        return {};
    }
}

bool AttributeStructure::holdsEditable(QByteArrayView rawName, QByteArrayView value) {
    switch (kindOf(rawName)) {
    case Kind::AccessAcl:
    case Kind::DefaultAcl:
        return bool(PosixAcl::fromXattr(value));
    case Kind::Capabilities:
        return bool(FileCapabilities::fromXattr(value));
    case Kind::Label:
        return bool(SecurityLabel::fromXattr(value));
    default:
        return false;
    }
}

std::optional<QString> AttributeStructure::editableText(QByteArrayView rawName,
                                                        QByteArrayView value) {
    const Kind kind = kindOf(rawName);
    if (!isEditable(kind))
        return std::nullopt;
    return rendering(kind, value).value;
}

Parsed<QByteArray> AttributeStructure::bytesFor(QByteArrayView rawName, QStringView text) {
    using Result = Parsed<QByteArray>;
    const Kind kind = kindOf(rawName);
    switch (kind) {
    case Kind::AccessAcl:
    case Kind::DefaultAcl: {
        AccountNames accounts;
        const Parsed<PosixAcl> acl = PosixAcl::fromText(text, aclKind(kind), accounts);
        return acl ? Result{acl.value->toXattr(), {}} : Result::refused(acl.problem);
    }
    case Kind::Capabilities: {
        const Parsed<FileCapabilities> capabilities = FileCapabilities::fromText(text);
        return capabilities ? Result{capabilities.value->toXattr(), {}}
                            : Result::refused(capabilities.problem);
    }
    case Kind::Label:
        return SecurityLabel::fromText(text, rawName == selinuxName);
    default:
        return Result::refused(QStringLiteral("this attribute has no structure to edit"));
    }
}

} // namespace palvorn
