#pragma once

#include <QByteArrayView>
#include <QString>

namespace palvorn {

// A short description of a binary property list by the class of its top-level object, as the
// crawler lists values: "Binary Plist NSArray:\n" and the object text, and so on.
QString describeBinaryPlist(QByteArrayView value);

} // namespace palvorn
