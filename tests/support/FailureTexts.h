#pragma once

#include "core/model/AttributeFailure.h"

#include <QStringList>

// Each failure's text, in order: what the window's one alert lists.
inline QStringList textsOf(const QList<palvorn::AttributeFailure>& failures) {
    QStringList texts;
    for (const palvorn::AttributeFailure& failure : failures)
        texts.append(failure.text());
    return texts;
}
