#include "core/app/AppResources.h"

#include "support/XattrFixture.h"

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using AppResourcesTest = XattrFixture;

// An installed tree has the executable in prefix/bin and its files in prefix/share/doc/palvorn;
// a build tree has them in the executable's own folder.
TEST_F(AppResourcesTest, FindsTheFirstFolderHoldingTheFile) {
    const struct {
        const char* label;
        QStringList files; // below the prefix; a trailing "/" makes a folder
        QString expected;  // below the prefix; empty when nothing is found
    } cases[] = {
        {"both: the executable's folder first",
         {u"bin/palvornHelp.pdf"_s, u"share/doc/palvorn/palvornHelp.pdf"_s},
         u"bin/palvornHelp.pdf"_s},
        {"a folder of that name is skipped",
         {u"bin/palvornHelp.pdf/"_s, u"share/doc/palvorn/palvornHelp.pdf"_s},
         u"share/doc/palvorn/palvornHelp.pdf"_s},
        {"another extension or folder",
         {u"bin/palvornHelp.txt"_s, u"share/palvornHelp.pdf"_s, u"palvornHelp.pdf"_s},
         {}},
    };
    for (const auto& lookup : cases) {
        const QString prefix = QString::fromLatin1(lookup.label) + u'/';
        makeFolder(prefix + u"bin"_s);
        makeFolder(prefix + u"share/doc/palvorn"_s);
        for (const QString& file : lookup.files)
            file.endsWith(u'/') ? makeFolder(prefix + file) : makeFile(prefix + file);
        const std::optional<QString> found = AppResources::pathForResource(
            u"palvornHelp"_s, u"pdf"_s, AppResources::searchFolders(pathOf(prefix + u"bin"_s)));
        EXPECT_EQ(found.value_or(QString()),
                  lookup.expected.isEmpty() ? QString() : pathOf(prefix + lookup.expected))
            << lookup.label;
    }
}
