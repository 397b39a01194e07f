#pragma once

#include "platform/OpenPanel.h"

namespace palvorn {

// The real panel, on QFileDialog. Qt's dialog cannot choose files and folders together, so for
// that case the non-native dialog's views are opened up to folders as well.
class QtOpenPanel : public OpenPanel {
public:
    void begin(QWidget* parent, const Options& options, Completion completion) override;
};

} // namespace palvorn
