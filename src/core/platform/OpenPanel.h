#pragma once

#include <functional>

#include <QStringList>

class QWidget;

namespace palvorn {

// Choosing files or folders to open. The completion runs once, with the chosen paths, or with none
// when the user cancelled. Paths are bytes (see ByteText): a URL could not carry a name that is
// not UTF-8.
class OpenPanel {
public:
    struct Options {
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        bool showsHiddenFiles = false;
        bool treatsPackagesAsDirectories = false;
    };
    using Completion = std::function<void(const QStringList& paths)>;

    virtual ~OpenPanel() = default;

    // parent: the window the panel is attached to as a sheet, or none for a free-standing panel.
    virtual void begin(QWidget* parent, const Options& options, Completion completion) = 0;
};

} // namespace palvorn
