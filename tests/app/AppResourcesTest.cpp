#include "app/AppResources.h"

#include "support/XattrFixture.h"

#include <QDir>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

// An installed tree: the executable in prefix/bin, its files in prefix/share/palvorn; a build
// tree has them in the executable's own folder.
struct LookupCase {
    const char* label;
    QStringList files; // below the prefix; a trailing "/" makes a folder
    QString expected;  // below the prefix; empty when nothing is found
};

void PrintTo(const LookupCase& lookup, std::ostream* out) {
    *out << lookup.label;
}

class AppResourcesTest : public XattrFixture, public ::testing::WithParamInterface<LookupCase> {};

} // namespace

TEST_P(AppResourcesTest, FindsTheFirstFolderHoldingTheFile) {
    const LookupCase& lookup = GetParam();
    const QString bin = makeFolder(u"prefix/bin"_s);
    makeFolder(u"prefix/share/palvorn"_s);
    for (const QString& file : lookup.files) {
        if (file.endsWith(u'/'))
            makeFolder(u"prefix/"_s + file);
        else
            makeFile(u"prefix/"_s + file, "%PDF");
    }

    const std::optional<QString> found =
        AppResources::pathForResource(u"palvornHelp"_s, u"pdf"_s, AppResources::searchFolders(bin));

    if (lookup.expected.isEmpty())
        EXPECT_FALSE(found) << found->toStdString();
    else
        EXPECT_EQ(found, pathOf(u"prefix/"_s + lookup.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AppResourcesTest,
    ::testing::Values(
        LookupCase{"BothPreferTheExecutablesFolder",
                   {u"bin/palvornHelp.pdf"_s, u"share/palvorn/palvornHelp.pdf"_s},
                   u"bin/palvornHelp.pdf"_s},
        LookupCase{"AFolderOfThatNameIsSkipped",
                   {u"bin/palvornHelp.pdf/"_s, u"share/palvorn/palvornHelp.pdf"_s},
                   u"share/palvorn/palvornHelp.pdf"_s},
        LookupCase{"OtherExtensionOrOtherFolder",
                   {u"bin/palvornHelp.txt"_s, u"share/palvornHelp.pdf"_s, u"palvornHelp.pdf"_s},
                   {}}),
    [](const ::testing::TestParamInfo<LookupCase>& param) {
        return std::string(param.param.label);
    });
