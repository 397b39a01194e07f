#pragma once

#include "core/platform/OpenPanel.h"

namespace palvorn {

// The real panel, on FileChooser: it lists and opens names that are not UTF-8.
class QtOpenPanel : public OpenPanel {
public:
    void begin(QWidget* parent, const Options& options, Completion completion) override;
};

} // namespace palvorn
