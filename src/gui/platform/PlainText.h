#pragma once

#include <QString>

class QMessageBox;

namespace palvorn {

// Names, paths and values are text from strangers. Qt reads a label, an alert or a tooltip whose
// text looks like markup as rich text, so a name such as "<img src=…>" or "<b>x</b>" could restyle
// or forge what the user reads; these keep such text as it is.
class PlainText {
public:
    // A tooltip that shows the text itself, line breaks and spaces included.
    static QString toolTip(const QString& text);
    // The alert's message and informative text as plain text; again after each new informative
    // text, since the box makes that label only when it first gets one.
    static void keepPlain(QMessageBox& box);
};

} // namespace palvorn
