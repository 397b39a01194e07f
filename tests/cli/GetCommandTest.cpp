#include "support/CliFixture.h"

using namespace Qt::Literals::StringLiterals;

using GetCommandTest = CliFixture;

// The conversions themselves are the editor's; here the options reach them.
TEST_F(GetCommandTest, PrintsTheEditorsTextInTheDetectedOrGivenFormat) {
    const QString file = makeFile(u"f"_s);
    setRaw(file, "user.note", "remember the milk");
    setRaw(file, "user.short", "Hello");
    const struct {
        QStringList arguments;
        QString expected;
    } cases[] = {
        {{u"note"_s}, u"remember the milk"_s},
        {{u"user.short"_s}, u"<48656c6c 6f>"_s},
        {{u"user.short"_s, u"--as"_s, u"text"_s}, u"Hello"_s},
        {{u"user.note"_s, u"--as"_s, u"hex"_s}, u"<72656d65 6d626572 20746865 206d696c 6b>"_s},
        {{u"user.short"_s, u"--as"_s, u"plist"_s},
         u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
         u"PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
         u"version=\"1.0\">\n<string>Hello</string>\n</plist>\n"_s},
    };
    for (const auto& c : cases) {
        const CliResult result = runCli(QStringList{u"get"_s, file} + c.arguments);
        EXPECT_EQ(result.exitCode, 0) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(result.out, c.expected) << c.arguments.join(u' ').toStdString();
    }
    const CliResult missing = runCli({u"get"_s, file, u"user.none"_s});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              u"getxattr error: No data available"_s + subject(file, u"user.none"_s) + u'\n');
    EXPECT_EQ(runCli({u"get"_s, file, u"user.none"_s, u"--as"_s, u"yaml"_s}).exitCode, 2);
    EXPECT_EQ(runCli({u"get"_s, file}).exitCode, 2);
}
