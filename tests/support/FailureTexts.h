#pragma once

#include "core/model/Error.h"

#include <optional>

#include <QStringList>

// Each failure's text, in order: what the window's one alert lists.
inline QStringList textsOf(const QList<palvorn::Error>& failures) {
    QStringList texts;
    for (const palvorn::Error& failure : failures)
        texts.append(failure.text());
    return texts;
}

// The failure's text, or empty when the step succeeded.
inline QString textOf(const palvorn::Result<>& result) {
    return result ? QString() : result.error().text();
}

// The value, or none when the step failed.
template <typename T> std::optional<T> valueOf(const palvorn::Result<T>& result) {
    return result ? std::optional<T>(*result) : std::nullopt;
}

// The failure's line as palvorn-cli prints it, or empty when the step succeeded.
template <typename T> QString lineOf(const palvorn::Result<T>& result) {
    return result ? QString() : result.error().lineText();
}
