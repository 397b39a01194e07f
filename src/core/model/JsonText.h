#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

namespace palvorn {

// The JSON that palvorn-cli writes for scripts, by one set of rules for every verb. Names and
// paths are bytes: a field holds the exact text of one that is valid UTF-8, and for one that is
// not, the text displayName shows (\xHH for each byte that is not UTF-8) beside a field of the
// same key and "_base64" with the exact bytes, so that nothing is lost. Values are bytes and
// always travel as base64. The output is UTF-8 in which every control character (C0, DEL, C1) is
// written as a \u escape, so that it cannot steer a terminal, and which any JSON reader decodes
// back to the exact text.
class JsonText {
public:
    static void insertBytes(QJsonObject& object, const QString& key, QByteArrayView bytes);
    static void insertValue(QJsonObject& object, const QString& key, QByteArrayView value);

    // One line without its line feed.
    static QByteArray compact(const QJsonObject& object);
    // The object's members without its braces, "\"a\":1,\"b\":2", to close an object whose
    // first member was streamed ahead of them; empty for an empty object.
    static QByteArray members(const QJsonObject& object);
};

} // namespace palvorn
