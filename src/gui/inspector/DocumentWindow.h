#pragma once

#include <QMainWindow>

namespace palvorn {

class InspectorView;
struct Platform;

// The document window: a frame around the inspector, deleted when closed.
class DocumentWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit DocumentWindow(Platform platform, QWidget* parent = nullptr);

    InspectorView& inspectorView() const { return *m_inspectorView; }

private:
    InspectorView* m_inspectorView;
};

} // namespace palvorn
