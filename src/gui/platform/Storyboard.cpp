#include "gui/platform/Storyboard.h"

namespace palvorn {

void Storyboard::registerController(const QString& identifier, Factory factory) {
    m_factories.insert(identifier, std::move(factory));
}

QMainWindow* Storyboard::instantiateController(const QString& identifier) const {
    const auto factory = m_factories.constFind(identifier);
    return factory == m_factories.cend() ? nullptr : (*factory)();
}

} // namespace palvorn
