#pragma once

#include <QString>

namespace palvorn {

// A plain-text pane that windows write reports and contents into: set replaces the whole text,
// append adds to its end.
class OutputPane {
public:
    virtual ~OutputPane() = default;

    virtual void setOutput(const QString& text) = 0;
    virtual void appendOutput(const QString& text) = 0;
    virtual QString output() const = 0;
};

} // namespace palvorn
