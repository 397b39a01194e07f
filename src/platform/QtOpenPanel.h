#pragma once

#include "platform/OpenPanel.h"

namespace palvorn {

// The real panel, on QFileDialog; where both files and folders may be chosen, on
// FileOrFolderDialog.
class QtOpenPanel : public OpenPanel {
public:
    void begin(QWidget* parent, const Options& options, Completion completion) override;
};

} // namespace palvorn
