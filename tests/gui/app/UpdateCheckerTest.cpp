#include "gui/app/UpdateChecker.h"

#include "core/app/UpdateSchedule.h"
#include "support/RecordingUpdateAlert.h"
#include "support/RecordingWorkspace.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The whole check against a real web server on 127.0.0.1 (tests/support/update_server.py), one
// launch per response.
namespace {

const QString site = u"https://www.brackenfield.co/palvorn/download/"_s;
const QString fetched = u"/palvorn/updates.plist"_s;
const QString marked = u"Checked for update (checked)"_s;
const QString noVersion = u"Can't check for updates:\nNo app version string found."_s;
const QDateTime launchTime(QDate(2024, 3, 1), QTime(9, 30), Qt::UTC);

QByteArray listOf(const QString& app, const QString& version) {
    return u"<plist version=\"1.0\"><array><dict><key>AppName</key><string>%1</string>"
           "<key>Version</key><string>%2</string><key>URL</key><string>%3p-%2.dmg</string>"
           "</dict></array></plist>\n"_s.arg(app, version, site)
               .toUtf8();
}
const QByteArray newerList = listOf(u"palvorn"_s, u"3.0"_s);

struct FetchCase {
    const char* name;
    QByteArray body;
    // What the launch did, in order: the paths fetched, the help item's new title, the errors
    // shown, the offers made and the addresses opened.
    QStringList done;
    QString contentType = u"text/xml"_s;
    int status = 200;
    bool download = true; // the answer to every offer
    QString version = u"2.0"_s;
    double lastCheckAgo = -1; // seconds before the launch; below 0: never checked
    bool completes = true;    // the list came, so the check counts as made
    bool unreachable = false; // no server where the list is asked for
};

// MIME types are compared without parameters and case. The list naming this app marks the item,
// even with nothing to offer. A large body is not read to the end: it would be an error if it were.
// Only a check that got the list is recorded: without one it is made again at the next launch.
const FetchCase responses[] = {
    {"OfferDownloaded",
     listOf(u"palvorn"_s, u"1.0"_s),
     {fetched, marked, u"offer"_s, site + u"p-1.0.dmg"_s},
     u"Text/XML; charset=utf-8"_s},
    {"OfferDeclined", newerList, {fetched, marked, u"offer"_s}, u"text/plain"_s, 200, false},
    {"EqualVersion", listOf(u"palvorn"_s, u"2.0"_s), {fetched, marked}},
    {"OtherAppOnly", listOf(u"other"_s, u"1.0"_s), {fetched}},
    {"WrongMimeType", newerList, {fetched}, u"application/xml"_s, 200, true, u"2.0"_s, -1, false},
    {"NotFound", newerList, {fetched}, u"text/xml"_s, 404, true, u"2.0"_s, -1, false},
    {"NotAPropertyList", "<html>Moved</html>", {fetched, u"Error in update Property List."_s}},
    {"TooLarge",
     "<html>" + QByteArray(2 << 20, 'x'),
     {fetched},
     u"text/xml"_s,
     200,
     true,
     u"2.0"_s,
     -1,
     false},
    {"NoNetwork", newerList, {}, u"text/xml"_s, 200, true, u"2.0"_s, -1, false, true},
    {"BeforeTheIntervalEnds", newerList, {}, u"text/xml"_s, 200, true, u"2.0"_s, 3600},
    {"WithoutAVersion", newerList, {noVersion}, u"text/xml"_s, 200, true, QString()},
};

class UpdateFetchTest : public ::testing::TestWithParam<FetchCase> {
protected:
    QTemporaryDir dir;
    const QString log = dir.filePath(u"requests.log"_s);
    QSettings settings{dir.filePath(u"settings.ini"_s), QSettings::IniFormat};
    RecordingUpdateAlert alert;
    RecordingWorkspace workspace;
    QAction item{UpdateChecker::notCheckedTitle()};
    QProcess server;
};

} // namespace

TEST_P(UpdateFetchTest, ActsOnlyOnAnAcceptedResponse) {
    const FetchCase& c = GetParam();
    alert.answerOffersWith(c.download);
    const double launchSeconds = UpdateSchedule::secondsSince2001(launchTime);
    if (c.lastCheckAgo >= 0)
        settings.setValue(u"dateLastUpdateCheck"_s, launchSeconds - c.lastCheckAgo);
    // The server answers every request with the case's response.
    QFile body(dir.filePath(u"body"_s));
    EXPECT_TRUE(body.open(QIODevice::WriteOnly) && body.write(c.body) == c.body.size());
    body.close();
    server.start(u"python3"_s, {QStringLiteral(PALVORN_UPDATE_SERVER), body.fileName(),
                                c.contentType, QString::number(c.status), log});
    while (!server.canReadLine() && server.waitForReadyRead(30'000)) {
    }
    const int port = server.readLine().trimmed().toInt();
    ASSERT_GT(port, 0) << server.readAllStandardError().toStdString();
    // Port 1 is privileged and served by nothing here: the connection is refused.
    UpdateChecker checker(settings, alert, workspace, &item,
                          QUrl(u"http://127.0.0.1:%1"_s.arg(c.unreachable ? 1 : port) + fetched),
                          c.version, [] { return launchTime; });
    int finished = 0;
    QObject::connect(&checker, &UpdateChecker::finished, [&finished] { ++finished; });
    checker.launch();
    EXPECT_TRUE(QTest::qWaitFor([&finished] { return finished > 0; }, 120'000)); // not stuck
    EXPECT_EQ(finished, 1);
    QStringList done;
    if (QFile requests(log); requests.open(QIODevice::ReadOnly))
        done = QString::fromUtf8(requests.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (item.text() != UpdateChecker::notCheckedTitle() || item.isChecked())
        done.append(item.text() + (item.isChecked() ? u" (checked)"_s : QString()));
    done += alert.errors() + QStringList(alert.offers().size(), u"offer"_s);
    for (const QUrl& url : workspace.opened())
        done.append(url.toString());
    EXPECT_EQ(done, c.done);
    const double lastCheck = c.lastCheckAgo >= 0 ? launchSeconds - c.lastCheckAgo
                             : c.completes       ? launchSeconds
                                                 : 0.0;
    EXPECT_EQ(settings.value(u"dateLastUpdateCheck"_s, 0.0).toDouble(), lastCheck);
    server.closeWriteChannel(); // the server stops when its input closes
    server.waitForFinished(30'000);
}

INSTANTIATE_TEST_SUITE_P(Responses, UpdateFetchTest, ::testing::ValuesIn(responses),
                         [](const auto& test) { return std::string(test.param.name); });
