#include "core/app/UpdateList.h"

#include "core/plist/PropertyListSerialization.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString running = u"2.0"_s;
const QString site = u"https://www.brackenfield.co/palvorn/download/"_s;

PlistValue entry(const QString& app, const QString& version, const QString& url) {
    return PlistValue::dictionary({{u"AppName"_s, PlistValue::string(app)},
                                   {u"Version"_s, PlistValue::string(version)},
                                   {u"URL"_s, PlistValue::string(url)}});
}

PlistValue list(PlistValue::Array entries) {
    return PlistValue::array(std::move(entries));
}

// The error if any, "found" for this app's entry, then "version url" for each offer.
QStringList outcome(const Result<UpdateList::Evaluation>& evaluation) {
    QStringList outcome;
    if (!evaluation)
        return {evaluation.error().text()};
    if (evaluation->entryFound)
        outcome.append(u"found"_s);
    for (const UpdateList::Offer& offer : evaluation->offers)
        outcome.append(offer.listedVersion + u' ' + offer.url.toString());
    return outcome;
}

} // namespace

// Every well-formed list is evaluated alike in XML and binary form.
TEST(UpdateListTest, MarksTheEntryAndOffersEachListedVersionThatDiffers) {
    const struct {
        const char* name;
        PlistValue list;
        QStringList outcome;
    } cases[] = {{"OtherAppOrANameThatIsNoString",
                  list({entry(u"palvornish"_s, u"3.0"_s, site + u"x.dmg"_s),
                        entry(u"Palvorn"_s, u"3.0"_s, site + u"x.dmg"_s),
                        PlistValue::dictionary({{u"AppName"_s, PlistValue::data("palvorn")},
                                                {u"Version"_s, PlistValue::string(u"3"_s)},
                                                {u"URL"_s, PlistValue::string(site)}})}),
                  {}},
                 {"OutsideTheSite",
                  list({entry(u"palvorn"_s, u"3.0"_s, u"https://elsewhere.example/?"_s + site),
                        entry(u"palvorn"_s, u"3.0"_s, u"https://www.brackenfield.co/palvorn/x"_s),
                        entry(u"palvorn"_s, u"3.0"_s, site + u"a b"_s)}),
                  {u"found"_s}},
                 {"EachOtherListedVersionIsOffered",
                  list({entry(u"palvorn"_s, u"3.0"_s, site + u"3.dmg"_s),
                        entry(u"other"_s, u"9.0"_s, site + u"9.dmg"_s),
                        entry(u"palvorn"_s, running, site + u"2.dmg"_s),
                        entry(u"palvorn"_s, u"1.9"_s, site + u"beta/1.dmg"_s)}),
                  {u"found"_s, u"3.0 "_s + site + u"3.dmg"_s, u"1.9 "_s + site + u"beta/1.dmg"_s}},
                 {"MalformedEntriesAreSkipped",
                  list({PlistValue::string(u"palvorn"_s),
                        PlistValue::dictionary({{u"AppName"_s, PlistValue::string(u"palvorn"_s)},
                                                {u"URL"_s, PlistValue::string(site + u"a"_s)}}),
                        PlistValue::dictionary({{u"AppName"_s, PlistValue::string(u"palvorn"_s)},
                                                {u"Version"_s, PlistValue::string(u"3"_s)},
                                                {u"URL"_s, PlistValue::data("https://")}}),
                        entry(u"palvorn"_s, u"4"_s, site + u"c"_s)}),
                  {u"found"_s, u"4 "_s + site + u"c"_s}},
                 {"RootNotAnArray", entry(u"palvorn"_s, u"3.0"_s, site + u"x"_s), {}}};
    for (const auto& c : cases) {
        for (const auto format :
             {PropertyListSerialization::Format::Xml, PropertyListSerialization::Format::Binary}) {
            EXPECT_EQ(outcome(UpdateList::evaluate(
                          *PropertyListSerialization::write(c.list, format), running)),
                      c.outcome)
                << c.name;
        }
    }
}

// The offer names both versions; data that is no list, or an empty one, is an error.
TEST(UpdateListTextTest, OffersAndErrorsSayWhat) {
    const Result<UpdateList::Evaluation> evaluation =
        UpdateList::evaluate(*PropertyListSerialization::write(
                                 list({entry(u"palvorn"_s, u"1.2"_s, site + u"p.tar.xz"_s)}),
                                 PropertyListSerialization::Format::Xml),
                             u"1.10"_s);
    ASSERT_TRUE(evaluation) << evaluation.error().text().toStdString();
    ASSERT_EQ(evaluation->offers.size(), 1);
    EXPECT_EQ(evaluation->offers.front().messageText,
              u"An update to this app to version 1.2 is available."_s);
    EXPECT_EQ(evaluation->offers.front().informativeText,
              u"You are currently running palvorn version 1.10.\nPlease choose whether to "
              "download this update now in your default browser."_s);

    const QString notAList = u"Error in update Property List."_s;
    for (const auto& [data, error] :
         {std::pair<QByteArray, QString>{"<html><body>Not found</body></html>", notAList},
          {"", notAList},
          {"<plist version=\"1.0\"><array/></plist>", u"Update Property List has no entries."_s}})
        EXPECT_EQ(outcome(UpdateList::evaluate(data, running)), QStringList{error})
            << data.toStdString();
}
