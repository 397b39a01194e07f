#pragma once

#include <QByteArrayView>
#include <QString>

namespace palvorn {

// A short description of a binary property list by the class of its top-level object, as the
// crawler lists values: "Binary Plist NSArray:\n" and the object text, and so on.
// The description holds at most describedLimit(value's size) characters of object text (64 per
// byte of the value plus 64 Ki, at most 32 Mi); past that it is cut and ends with a note saying so.
QString describeBinaryPlist(QByteArrayView value);

constexpr qsizetype describedLimit(qsizetype valueSize) {
    return 64 * valueSize + 64 * 1024;
}

} // namespace palvorn
