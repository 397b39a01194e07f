#pragma once

#include <QString>
#include <QStringList>

namespace palvorn {

// The text an inspector window saves: its path field, a separator, and the report body. The
// window and palvorn-cli show both build it here so that they can never disagree.
class InspectorReport {
public:
    static QString separator() { return QStringLiteral("\n**********\n"); }

    // The body without a selection: every display text, in table order, between separators.
    static QString bodyOf(const QStringList& displayTexts);
    // The whole report; no line feed is added at the end.
    static QString reportText(const QString& pathText, const QString& body);
};

} // namespace palvorn
