#include "app/UpdateList.h"

#include "model/plist/PropertyListSerialization.h"

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

// "version url" for each offer, easy to compare and read in a failure.
QStringList offered(const UpdateList::Evaluation& evaluation) {
    QStringList offers;
    for (const UpdateList::Offer& offer : evaluation.offers)
        offers.append(offer.listedVersion + u' ' + offer.url.toString());
    return offers;
}

} // namespace

// Every well-formed list is evaluated alike in XML and binary form.
TEST(UpdateListTest, MarksTheEntryAndOffersEachListedVersionThatDiffers) {
    const struct {
        const char* name;
        PlistValue list;
        bool entryFound;
        QStringList offers;
    } cases[] = {{"OtherAppOnly",
                  list({entry(u"palvornish"_s, u"3.0"_s, site + u"x.dmg"_s),
                        entry(u"Palvorn"_s, u"3.0"_s, site + u"x.dmg"_s)}),
                  false,
                  {}},
                 {"OutsideTheSite",
                  list({entry(u"palvorn"_s, u"3.0"_s, u"https://elsewhere.example/?"_s + site),
                        entry(u"palvorn"_s, u"3.0"_s, u"https://www.brackenfield.co/palvorn/x"_s),
                        entry(u"palvorn"_s, u"3.0"_s, site + u"a b"_s)}),
                  true,
                  {}},
                 {"EachOtherListedVersionIsOffered",
                  list({entry(u"palvorn"_s, u"3.0"_s, site + u"3.dmg"_s),
                        entry(u"other"_s, u"9.0"_s, site + u"9.dmg"_s),
                        entry(u"palvorn"_s, running, site + u"2.dmg"_s),
                        entry(u"palvorn"_s, u"1.9"_s, site + u"beta/1.dmg"_s)}),
                  true,
                  {u"3.0 "_s + site + u"3.dmg"_s, u"1.9 "_s + site + u"beta/1.dmg"_s}},
                 {"MalformedEntriesAreSkipped",
                  list({PlistValue::string(u"palvorn"_s),
                        PlistValue::dictionary({{u"AppName"_s, PlistValue::string(u"palvorn"_s)},
                                                {u"URL"_s, PlistValue::string(site + u"a"_s)}}),
                        PlistValue::dictionary({{u"AppName"_s, PlistValue::string(u"palvorn"_s)},
                                                {u"Version"_s, PlistValue::string(u"3"_s)},
                                                {u"URL"_s, PlistValue::data("https://")}}),
                        entry(u"palvorn"_s, u"4"_s, site + u"c"_s)}),
                  true,
                  {u"4 "_s + site + u"c"_s}},
                 {"NonStringNameIsNotAnEntry",
                  list({PlistValue::dictionary({{u"AppName"_s, PlistValue::data("palvorn")},
                                                {u"Version"_s, PlistValue::string(u"3"_s)},
                                                {u"URL"_s, PlistValue::string(site)}})}),
                  false,
                  {}},
                 {"RootNotAnArray", entry(u"palvorn"_s, u"3.0"_s, site + u"x"_s), false, {}}};
    for (const auto& c : cases) {
        for (const auto format :
             {PropertyListSerialization::Format::Xml, PropertyListSerialization::Format::Binary}) {
            const UpdateList::Evaluation evaluation =
                UpdateList::evaluate(*PropertyListSerialization::write(c.list, format), running);
            EXPECT_EQ(evaluation.error, QString()) << c.name;
            EXPECT_EQ(evaluation.entryFound, c.entryFound) << c.name;
            EXPECT_EQ(offered(evaluation), c.offers) << c.name;
        }
    }
}

TEST(UpdateListTextTest, TheOfferNamesBothVersionsAndOpensTheListedAddress) {
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
	<dict>
		<key>AppName</key>
		<string>palvorn</string>
		<key>Notes</key>
		<integer>7</integer>
		<key>URL</key>
		<string>https://www.brackenfield.co/palvorn/download/palvorn-1.2.tar.xz</string>
		<key>Version</key>
		<string>1.2</string>
	</dict>
</array>
</plist>
)";
    const UpdateList::Evaluation evaluation = UpdateList::evaluate(xml, u"1.10"_s);
    ASSERT_EQ(evaluation.offers.size(), 1);
    const UpdateList::Offer& offer = evaluation.offers.front();
    EXPECT_EQ(offer.messageText, u"An update to this app to version 1.2 is available."_s);
    EXPECT_EQ(offer.informativeText,
              u"You are currently running palvorn version 1.10.\nPlease choose whether to "
              "download this update now in your default browser."_s);
    EXPECT_EQ(offer.url,
              QUrl(u"https://www.brackenfield.co/palvorn/download/palvorn-1.2.tar.xz"_s));
}

TEST(UpdateListTextTest, DataThatIsNoListOrAnEmptyOneIsAnError) {
    struct Case {
        QByteArray data;
        QString error;
    };
    const QString notAList = u"Error in update Property List."_s;
    const QString empty = u"Update Property List has no entries."_s;
    for (const Case& c : {Case{"<html><body>Not found</body></html>", notAList}, Case{"", notAList},
                          Case{"<plist version=\"1.0\"><array/></plist>", empty}}) {
        const UpdateList::Evaluation evaluation = UpdateList::evaluate(c.data, running);
        EXPECT_EQ(evaluation.error, c.error) << c.data.toStdString();
        EXPECT_FALSE(evaluation.entryFound);
        EXPECT_TRUE(evaluation.offers.isEmpty());
    }
}
