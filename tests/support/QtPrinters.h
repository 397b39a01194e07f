#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure messages for Qt's text types; included into every test translation unit.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << "bytes(" << bytes.size() << ") " << bytes.toHex(' ').toStdString();
}

inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '[';
    for (const QString& text : texts)
        *os << '"' << text.toStdString() << "\" ";
    *os << ']';
}
