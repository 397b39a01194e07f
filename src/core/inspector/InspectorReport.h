#pragma once

#include "core/model/Error.h"
#include "core/model/ResourceItem.h"

#include <QString>
#include <QStringList>

namespace palvorn {

class ResourceList;

// The texts of the inspector window: its saved report, its size summary and the report's file.
// The window and palvorn-cli build them here so that they can never disagree.
class InspectorReport {
public:
    static QString separator() { return QStringLiteral("\n**********\n"); }

    // The body without a selection: every display text, in table order, between separators.
    static QString bodyOf(const QStringList& displayTexts);
    // The whole report; no line feed is added at the end.
    static QString reportText(const QString& pathText, const QString& body);

    // palvorn-cli's JSON (see JsonText) of an item's attributes: the path, each attribute's
    // name and size, and with details also its value, hex text and content section as the
    // report shows them; the lines of the failures. One line, without its line feed.
    static QByteArray attributesJson(const QString& path, const QList<ResourceItemPtr>& items,
                                     const QList<Error>& failures, bool details);

    // "Xattr N, data M, total T": the bytes of all values, the file's size as the file system
    // reports it (0 when it cannot be read; folders give their own size), and their sum.
    static QString sizeSummary(const ResourceList* list, const QString& path);

    // The report's default file name: the whole file name, extension included, and "_MD.text".
    static QString defaultReportName(const QString& fileName);

    // Writes the report as UTF-8 in place, replacing any file there. Never over the inspected
    // file itself: a report is not the file's content. Returns the error text, empty on success.
    static QString writeReport(const QString& target, const QString& text,
                               const QString& inspectedPath);
};

} // namespace palvorn
