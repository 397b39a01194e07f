#pragma once

#include "core/platform/OutputPane.h"

class QPlainTextEdit;

namespace palvorn {

// Writes into a plain-text view, which stays responsive with reports of 100,000 lines and more.
class QtOutputPane : public OutputPane {
public:
    explicit QtOutputPane(QPlainTextEdit& view) : m_view(view) {}

    void setOutput(const QString& text) override;
    void appendOutput(const QString& text) override;
    QString output() const override;

private:
    QPlainTextEdit& m_view;
};

} // namespace palvorn
