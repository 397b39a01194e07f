#include "gui/inspector/InspectorCommands.h"

#include "core/inspector/AttributeChange.h"
#include "core/inspector/AttributeCommands.h"
#include "core/inspector/AttributeTransfer.h"
#include "core/inspector/NameFlags.h"
#include "core/model/AttributeName.h"
#include "core/platform/ErrorAlert.h"
#include "core/platform/Pasteboard.h"
#include "gui/inspector/AttributeHistory.h"
#include "gui/inspector/AttributeTable.h"
#include "gui/inspector/AttributeTableModel.h"
#include "gui/inspector/InspectedFile.h"

#include <memory>

namespace palvorn {

InspectorCommands::InspectorCommands(InspectedFile& file, const AttributeTable& table,
                                     AttributeHistory& history, ErrorAlert& alert,
                                     Pasteboard& pasteboard)
    : m_file(file), m_table(table), m_history(history), m_alert(alert), m_pasteboard(pasteboard) {}

void InspectorCommands::showFailures(const QList<Error>& failures) {
    if (!failures.isEmpty())
        m_alert.showErrorAlert(Error::listText(failures));
}

void InspectorCommands::copy() {
    QList<QByteArray> archives;
    for (int row : m_table.selectedRows()) {
        if (const ResourceItemPtr record = m_table.model().recordAt(row))
            archives.append(record->archive());
    }
    if (!archives.isEmpty())
        m_pasteboard.writeRecords(archives);
}

bool InspectorCommands::cut() {
    copy();
    const QList<int> rows = m_table.selectedRows();
    if (!m_file.hasFile() || rows.isEmpty())
        return false;
    const QString path = m_file.path();
    // The list loaded before the command names the rows the user chose, however removals go.
    showFailures(m_history.record(
        tr("Remove"), path, AttributeTable::systemNames(m_table.selectedNames()), [&] {
            QList<Error> failures;
            for (int row : rows) {
                // By name: a value that could not be read can still be removed.
                const QByteArray name = m_table.model().nameAt(row);
                if (name.isEmpty()) {
                    failures.append(Error({}, QStringLiteral("xattr not found"), path));
                    continue;
                }
                failures += AttributeCommands::removeRecords(
                    path, {std::make_shared<ResourceItem>(name, QByteArray())});
            }
            return failures;
        }));
    return true;
}

bool InspectorCommands::paste() {
    if (!m_file.hasFile())
        return false;
    const QList<std::optional<QByteArray>> items = m_pasteboard.items();
    if (items.isEmpty())
        return false;
    QList<QByteArray> archives;
    QList<QByteArray> names;
    for (const std::optional<QByteArray>& item : items) {
        if (!item)
            continue;
        archives.append(*item);
        if (const ResourceItemPtr record = ResourceItem::fromArchive(*item))
            names.append(record->rawName());
    }
    const QString path = m_file.path();
    showFailures(m_history.record(tr("Paste"), path, AttributeTable::systemNames(names), [&] {
        return AttributeCommands::pasteArchives(path, archives);
    }));
    return true;
}

std::optional<InspectorCommands::Renames> InspectorCommands::addNameFlags(const QString& flagText) {
    if (flagText.isEmpty() || m_table.selectedRows().isEmpty())
        return std::nullopt;
    // The flag becomes part of the names, so it is typed as names are shown.
    const TypedName typed = typedName(flagText);
    if (!typed.name) {
        m_alert.showErrorAlert(typed.problem);
        return std::nullopt;
    }
    const QByteArray& flag = *typed.name;
    const QList<QByteArray> names = m_table.selectedNames();
    QList<QByteArray> touched = names;
    Renames renames;
    for (const QByteArray& name : names) {
        renames.append({name, name + '#' + flag});
        touched.append(renames.constLast().second);
    }
    const QString path = m_file.path();
    showFailures(m_history.record(tr("Add flag"), path, AttributeTable::systemNames(touched),
                                  [&] { return NameFlags::addNameFlags(path, names, flag); }));
    return renames;
}

std::optional<InspectorCommands::Renames> InspectorCommands::stripNameFlags() {
    if (m_table.selectedRows().isEmpty())
        return std::nullopt;
    const QList<QByteArray> names = m_table.selectedNames();
    QList<QByteArray> touched = names;
    Renames renames;
    for (const QByteArray& name : names) {
        const std::optional<QByteArray> base = NameFlags::baseName(name);
        renames.append({name, base.value_or(name)});
        if (base)
            touched.append(*base);
    }
    const QString path = m_file.path();
    showFailures(m_history.record(tr("Strip flags"), path, AttributeTable::systemNames(touched),
                                  [&] { return NameFlags::stripNameFlags(path, names); }));
    return renames;
}

std::optional<QList<QByteArray>> InspectorCommands::saveEdited(const ResourceItem& edited,
                                                               const ResourceItem* original) {
    if (!m_file.hasFile())
        return std::nullopt;
    const QString path = m_file.path();
    // An unchanged name is written under the original's own bytes.
    const bool sameName = original && original->name() == edited.name();
    const QList<QByteArray> names =
        AttributeTable::systemNames({sameName ? original->rawName() : edited.rawName()});
    const AttributeChange::Values before = AttributeChange::capture(path, names);
    const QList<Error> failures = AttributeCommands::saveEditedRecord(path, original, edited);
    if (!failures.isEmpty()) {
        showFailures(failures);
        return std::nullopt;
    }
    m_history.push(
        AttributeChange(tr("Save"), path, before, AttributeChange::capture(path, names)));
    return names;
}

QList<QByteArray> InspectorCommands::importDump(const QString& dumpPath) {
    const AttributeTransfer::Import dump = AttributeTransfer::readDump(dumpPath);
    const QString path = m_file.path();
    // The lines that could not be read and the names that could not be written: one alert.
    showFailures(m_history.record(tr("Import"), path, dump.values.keys(), [&] {
        return dump.problems + AttributeTransfer::apply(path, dump.values);
    }));
    return dump.values.keys();
}

bool InspectorCommands::writeQuarantine(const Quarantine::Stamp& stamp) {
    if (!m_file.hasFile())
        return false;
    const QString path = m_file.path();
    const QList<QByteArray> names = {systemAttributeName(Quarantine::attributeName())};
    const AttributeChange::Values before = AttributeChange::capture(path, names);
    const QList<Error> failures = AttributeCommands::writeRecord(
        path, ResourceItem(Quarantine::attributeName(), stamp.value));
    if (!failures.isEmpty()) {
        showFailures(failures);
        return false;
    }
    m_history.push(
        AttributeChange(tr("Quarantine"), path, before, AttributeChange::capture(path, names)));
    return true;
}

} // namespace palvorn
