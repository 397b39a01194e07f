#include "app/UpdateChecker.h"

#include "app/UpdateSchedule.h"
#include "platform/RecordingUpdateAlert.h"
#include "platform/RecordingWorkspace.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// The whole check against a real web server on 127.0.0.1 (tests/support/update_server.py).
namespace {

const QString site = u"https://www.brackenfield.co/palvorn/download/"_s;
const QString running = u"2.0"_s;
const QString notChecked = u"Update not checked"_s;
const QString checked = u"Checked for update"_s;
const QDateTime launchTime(QDate(2024, 3, 1), QTime(9, 30), Qt::UTC);

QByteArray listOf(const QString& app, const QString& version, const QString& url) {
    return u"<plist version=\"1.0\"><array><dict><key>AppName</key><string>%1</string>"
           "<key>Version</key><string>%2</string><key>URL</key><string>%3</string>"
           "</dict></array></plist>\n"_s.arg(app, version, url)
               .toUtf8();
}

class UpdateCheckerTest : public ::testing::Test {
protected:
    void TearDown() override {
        server.closeWriteChannel(); // the server stops when its input closes
        server.waitForFinished(30'000);
    }

    // Starts the server answering every request so; returns the update list's address on it.
    QUrl serve(const QByteArray& body, const QString& contentType, int status = 200) {
        const QString bodyPath = dir.filePath(u"body"_s);
        QFile file(bodyPath);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
        file.close();
        server.start(u"python3"_s, {QStringLiteral(PALVORN_UPDATE_SERVER), u"--body"_s, bodyPath,
                                    u"--content-type"_s, contentType, u"--status"_s,
                                    QString::number(status), u"--log"_s, logPath()});
        while (!server.canReadLine() && server.waitForReadyRead(30'000)) {
        }
        const int port = server.readLine().trimmed().toInt();
        EXPECT_GT(port, 0) << server.readAllStandardError().toStdString();
        return QUrl(u"http://127.0.0.1:%1/palvorn/updates.plist"_s.arg(port));
    }

    // Runs one launch and waits until its check is over.
    void launch(const QUrl& listUrl, const QString& version = running) {
        UpdateChecker checker(settings, alert, workspace, &item, listUrl, version,
                              [] { return launchTime; });
        int finished = 0;
        QEventLoop loop;
        QObject::connect(&checker, &UpdateChecker::finished, &loop, [&] {
            ++finished;
            loop.quit();
        });
        checker.launch();
        if (finished == 0) {
            QTimer::singleShot(120'000, &loop, &QEventLoop::quit); // a stuck check fails below
            loop.exec();
        }
        EXPECT_EQ(finished, 1);
    }

    // The paths that the server was asked for.
    QStringList requests() {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    QString logPath() const { return dir.filePath(u"requests.log"_s); }

    QTemporaryDir dir;
    QSettings settings{dir.filePath(u"settings.ini"_s), QSettings::IniFormat};
    RecordingUpdateAlert alert;
    RecordingWorkspace workspace;
    QAction item{notChecked};
    QProcess server;
};

struct FetchCase {
    const char* name;
    QByteArray body;
    QString contentType = u"text/xml"_s;
    int status = 200;
    bool download = true; // the answer to every offer
    QString version = running;
    double lastCheckAgo = -1; // seconds before the launch; below 0: never checked
    bool serverGone = false;
    // What the check did:
    bool fetched = true;
    QString itemTitle = notChecked;
    QString error{};
    qsizetype offers = 0;
    QString opened{};
};

void PrintTo(const FetchCase& c, std::ostream* out) {
    *out << c.name;
}

class UpdateFetchTest : public UpdateCheckerTest,
                        public ::testing::WithParamInterface<FetchCase> {};

QStringList noneOr(const QString& text) {
    return text.isEmpty() ? QStringList() : QStringList{text};
}

const QByteArray newerList = listOf(u"palvorn"_s, u"3.0"_s, site + u"p-3.0.dmg"_s);

} // namespace

TEST_P(UpdateFetchTest, ActsOnlyOnAnAcceptedResponse) {
    const FetchCase& c = GetParam();
    alert.answerOffersWith(c.download);
    const double launchSeconds = UpdateSchedule::secondsSince2001(launchTime);
    if (c.lastCheckAgo >= 0)
        settings.setValue(u"dateLastUpdateCheck"_s, launchSeconds - c.lastCheckAgo);
    const QUrl url = serve(c.body, c.contentType, c.status);
    if (c.serverGone) {
        server.closeWriteChannel();
        ASSERT_TRUE(server.waitForFinished(30'000));
    }
    launch(url, c.version);
    EXPECT_EQ(requests(), c.fetched ? QStringList{u"/palvorn/updates.plist"_s} : QStringList());
    EXPECT_EQ(settings.value(u"dateLastUpdateCheck"_s).toDouble(),
              launchSeconds - std::max(c.lastCheckAgo, 0.0));
    EXPECT_EQ(item.text(), c.itemTitle);
    EXPECT_EQ(item.isChecked(), c.itemTitle == checked);
    EXPECT_EQ(alert.errors(), noneOr(c.error));
    EXPECT_EQ(alert.offers().size(), c.offers);
    EXPECT_EQ(workspace.opened(), QUrl::fromStringList(noneOr(c.opened)));
}

INSTANTIATE_TEST_SUITE_P(
    Responses, UpdateFetchTest,
    ::testing::Values(
        // MIME types are compared without parameters and case.
        FetchCase{.name = "OfferDownloaded",
                  .body = listOf(u"palvorn"_s, u"1.0"_s, site + u"p-1.0.dmg"_s),
                  .contentType = u"Text/XML; charset=utf-8"_s,
                  .itemTitle = checked,
                  .offers = 1,
                  .opened = site + u"p-1.0.dmg"_s},
        FetchCase{.name = "OfferDeclined",
                  .body = newerList,
                  .contentType = u"text/plain"_s,
                  .download = false,
                  .itemTitle = checked,
                  .offers = 1},
        // The list names this app: checked, even with nothing to offer.
        FetchCase{.name = "EqualVersion",
                  .body = listOf(u"palvorn"_s, running, site + u"p.dmg"_s),
                  .itemTitle = checked},
        FetchCase{.name = "OtherAppOnly", .body = listOf(u"other"_s, u"1.0"_s, site + u"o.dmg"_s)},
        FetchCase{.name = "WrongMimeType", .body = newerList, .contentType = u"application/xml"_s},
        FetchCase{.name = "NotFound", .body = newerList, .status = 404},
        FetchCase{.name = "ServerGone", .body = newerList, .serverGone = true, .fetched = false},
        FetchCase{.name = "NotAPropertyList",
                  .body = "<html><body>Moved</body></html>",
                  .contentType = u"text/plain"_s,
                  .error = u"Error in update Property List."_s},
        // Not read to the end: a list is small, and this would be an error if it were read.
        FetchCase{.name = "TooLarge",
                  .body = "<html>" + QByteArray(2 << 20, 'x'),
                  .contentType = u"text/plain"_s},
        FetchCase{.name = "BeforeTheIntervalEnds",
                  .body = newerList,
                  .lastCheckAgo = 3600,
                  .fetched = false},
        FetchCase{.name = "WithoutAVersion",
                  .body = newerList,
                  .version = QString(),
                  .fetched = false,
                  .error = u"Can't check for updates:\nNo app version string found."_s}),
    [](const auto& test) { return std::string(test.param.name); });
