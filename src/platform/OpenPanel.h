#pragma once

#include <functional>

#include <QList>
#include <QUrl>

class QWidget;

namespace palvorn {

// Choosing files or folders to open. The completion runs once, with the chosen URLs, or with none
// when the user cancelled.
class OpenPanel {
public:
    struct Options {
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        bool showsHiddenFiles = false;
        bool treatsPackagesAsDirectories = false;
    };
    using Completion = std::function<void(const QList<QUrl>& urls)>;

    virtual ~OpenPanel() = default;

    // parent: the window the panel is attached to as a sheet, or none for a free-standing panel.
    virtual void begin(QWidget* parent, const Options& options, Completion completion) = 0;
};

} // namespace palvorn
