#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace palvorn {

// A yes-or-no question before an action that cannot be taken back. Asked without blocking: the
// answer arrives later, and onYes runs only when the user agreed.
class Confirmation {
public:
    virtual ~Confirmation() = default;

    virtual void ask(QWidget* window, const QString& question, std::function<void()> onYes) = 0;
};

} // namespace palvorn
