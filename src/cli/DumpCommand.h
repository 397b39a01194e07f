#pragma once

#include "cli/Command.h"

namespace palvorn {

// palvorn-cli dump [-R] [--encoding text|hex|base64] PATH...: the attributes of every PATH in the
// text form of getfattr --dump, byte for byte, ready for restore or setfattr --restore.
class DumpCommand : public Command {
public:
    QString name() const override { return QStringLiteral("dump"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    QStringList pathArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
};

} // namespace palvorn
