#pragma once

#include "core/platform/SavePanel.h"

namespace palvorn {

// The real panel, on QFileDialog.
class QtSavePanel : public SavePanel {
public:
    void begin(QWidget* parent, const Options& options, Completion completion) override;
};

} // namespace palvorn
