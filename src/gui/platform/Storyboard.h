#pragma once

#include <functional>

#include <QHash>
#include <QString>

class QMainWindow;

namespace palvorn {

// The interface description: window controllers made by identifier ("Document Window
// Controller", "Crawler Window Controller", ...), each laid out by its own .ui file.
class Storyboard {
public:
    using Factory = std::function<QMainWindow*()>;

    explicit Storyboard(QString name) : m_name(std::move(name)) {}

    const QString& name() const { return m_name; }
    void registerController(const QString& identifier, Factory factory);
    // A new window each time; nullptr for an identifier nobody registered.
    QMainWindow* instantiateController(const QString& identifier) const;

private:
    QString m_name;
    QHash<QString, Factory> m_factories;
};

} // namespace palvorn
