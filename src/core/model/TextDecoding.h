#pragma once

#include <optional>

#include <QByteArrayView>
#include <QString>

namespace palvorn {

// Strict UTF-8: any malformed sequence, overlong form or encoded surrogate fails. A leading
// byte-order mark is kept as text so that a value read and written back is unchanged.
std::optional<QString> decodeUtf8(QByteArrayView bytes);

// 7-bit ASCII: fails on any byte above 127.
bool isAscii(QByteArrayView bytes);
std::optional<QString> decodeAscii(QByteArrayView bytes);

} // namespace palvorn
