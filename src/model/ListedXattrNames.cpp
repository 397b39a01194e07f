#include "model/ListedXattrNames.h"

#include "model/TextDecoding.h"
#include "model/XattrAccess.h"

namespace palvorn {

namespace {

// Nearly every name is ASCII, which needs no decoder to be known valid.
bool isValidName(QByteArrayView name) {
    return isAscii(name) || decodeUtf8(name).has_value();
}

} // namespace

const QList<QByteArrayView>& ListedXattrNames::read(const QByteArray& path) {
    m_names.clear();
    readXattrNameList(path, m_buffer);
    const QByteArrayView list = m_buffer;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf('\0', start);
        // A last name without its NUL is still one: QByteArray keeps a NUL after its data.
        if (end < 0)
            end = list.size();
        const QByteArrayView name = list.sliced(start, end - start);
        if (!name.isEmpty() && isValidName(name))
            m_names.append(name);
        start = end + 1;
    }
    return m_names;
}

} // namespace palvorn
