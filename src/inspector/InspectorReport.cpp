#include "inspector/InspectorReport.h"

namespace palvorn {

QString InspectorReport::bodyOf(const QStringList& displayTexts) {
    return displayTexts.join(separator());
}

QString InspectorReport::reportText(const QString& pathText, const QString& body) {
    return pathText + u'\n' + separator() + body;
}

} // namespace palvorn
