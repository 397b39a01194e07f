#pragma once

#include "cli/Command.h"

#include <optional>

namespace palvorn {

// palvorn-cli set PATH NAME --as text|plist|hex [VALUE | --file F]: converts the text as the
// attribute editor's save does and writes it; a text that does not convert writes nothing.
class SetCommand : public Command {
public:
    QString name() const override { return QStringLiteral("set"); }
    QString description() const override;

protected:
    void addArguments(QCommandLineParser& parser) const override;
    QString checkArguments(const QCommandLineParser& parser) const override;
    QStringList pathArguments(const QCommandLineParser& parser) const override;
    int execute(const QCommandLineParser& parser, QTextStream& out, QTextStream& err) override;
    bool takesNoDereference() const override { return true; }

private:
    // The VALUE, or the text of --file or standard input, at most 1 MiB of UTF-8; none with the
    // reason when there is no such text.
    static std::optional<QString> inputText(const QCommandLineParser& parser, QString* problem);
};

} // namespace palvorn
