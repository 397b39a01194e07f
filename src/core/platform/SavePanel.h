#pragma once

#include <functional>
#include <optional>

#include <QStringList>
#include <QUrl>

class QWidget;

namespace palvorn {

// Choosing where to save. The completion runs once, with the chosen URL, or with none when the
// user cancelled.
class SavePanel {
public:
    struct Options {
        QString nameFieldStringValue;
        QStringList allowedFileTypes; // extensions without the dot, preferred first
        bool canCreateDirectories = true;
    };
    using Completion = std::function<void(const std::optional<QUrl>& url)>;

    virtual ~SavePanel() = default;

    virtual void begin(QWidget* parent, const Options& options, Completion completion) = 0;
};

} // namespace palvorn
