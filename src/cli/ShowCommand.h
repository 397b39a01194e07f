#pragma once

#include "cli/Command.h"
#include "core/model/Error.h"
#include "core/model/ResourceItem.h"

namespace palvorn {

// palvorn-cli show PATH [NAME]: the report the inspector saves for PATH, with no selection or with
// the attribute NAME selected.
class ShowCommand : public Command {
public:
    QString name() const override { return QStringLiteral("show"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }

private:
    // The one attribute NAME, or why it could not be read.
    static Result<ResourceItemPtr> namedItem(const QString& path, const QByteArray& typedName,
                                             Links links);
};

} // namespace palvorn
