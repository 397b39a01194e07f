#include "cli/CliRunner.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(CliMainTest, HelpAndVersionSucceed) {
    const CliResult help = runCli({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(u"list"_s));
    const CliResult version = runCli({u"--version"_s});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, u"palvorn-cli " PALVORN_VERSION "\n"_s);
    const CliResult commandHelp = runCli({u"list"_s, u"--help"_s});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_TRUE(commandHelp.out.contains(u"palvorn-cli list"_s)) << commandHelp.out.toStdString();
}

TEST(CliMainTest, UsageErrorsExitWithTwo) {
    for (const QStringList& arguments :
         {QStringList{}, QStringList{u"frobnicate"_s}, QStringList{u"list"_s},
          QStringList{u"list"_s, u"a"_s, u"b"_s}, QStringList{u"list"_s, u"--bogus"_s, u"a"_s}}) {
        const CliResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_FALSE(result.err.isEmpty());
    }
}
