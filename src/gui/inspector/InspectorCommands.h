#pragma once

#include "core/inspector/Quarantine.h"
#include "core/model/Error.h"
#include "core/model/ResourceItem.h"

#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QList>

namespace palvorn {

class AttributeHistory;
class AttributeTable;
class ErrorAlert;
class InspectedFile;
class Pasteboard;

// The inspector's commands on the file it shows, each one undoable step whose failures are shown
// together in one alert. Reloading the list, and what is selected then, is the caller's.
class InspectorCommands {
    Q_DECLARE_TR_FUNCTIONS(InspectorCommands)

public:
    // Each old name with the name it was to get.
    using Renames = QList<std::pair<QByteArray, QByteArray>>;

    InspectorCommands(InspectedFile& file, const AttributeTable& table, AttributeHistory& history,
                      ErrorAlert& alert, Pasteboard& pasteboard);

    // Values that could not be read cannot be copied; the pasteboard keeps what it had then.
    void copy();
    // Remove and cut: copies the selection first, so the records can be pasted back. False when
    // nothing was selected.
    bool cut();
    // False when nothing was pasted because no file is shown or the pasteboard is empty.
    bool paste();
    // Appends "#" and the flag text to the selected names; none when nothing was tried.
    std::optional<Renames> addNameFlags(const QString& flagText);
    // Cuts the selected names at their first "#"; none when nothing is selected.
    std::optional<Renames> stripNameFlags();
    // Writes the record the editor hands back; original is the record the editor opened (none for
    // a new attribute): under a changed name the save only creates, never replacing an attribute
    // in the way. The name written, or none when nothing was.
    std::optional<QList<QByteArray>> saveEdited(const ResourceItem& edited,
                                                const ResourceItem* original);
    // Every attribute line of the dump is written to this file, whichever file its block names.
    // The names of the dump.
    QList<QByteArray> importDump(const QString& dumpPath);
    // Writes the stamp's attribute: only the attribute can be taken back, the event row belongs
    // to the system's database. False when it was not written.
    bool writeQuarantine(const Quarantine::Stamp& stamp);

private:
    void showFailures(const QList<Error>& failures);

    InspectedFile& m_file;
    const AttributeTable& m_table;
    AttributeHistory& m_history;
    ErrorAlert& m_alert;
    Pasteboard& m_pasteboard;
};

} // namespace palvorn
