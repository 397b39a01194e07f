#include "core/model/ResourceItem.h"
#include "gui/platform/QtErrorAlert.h"
#include "gui/platform/QtOutputPane.h"
#include "gui/platform/QtPasteboard.h"
#include "gui/platform/QtUpdateAlert.h"
#include "gui/platform/QtWorkspace.h"
#include "support/RecordingOutputPane.h"
#include "support/RecordingPasteboard.h"
#include "support/RecordingUpdateAlert.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// Where a recording stand-in could behave otherwise than the real Qt service, both are held to one
// contract, each with a driver that plays the user's or another application's part. (The panels
// are held to theirs by the real dialogs' tests and by every window test.)
namespace {

struct QtServices {
    void leaveText() { QGuiApplication::clipboard()->setText(u"some text"_s); }
    void emptyBoard() { QGuiApplication::clipboard()->clear(); }
    // From inside the next alert's own event loop: notes what it shows, presses the button.
    void answerWith(const QString& buttonText) {
        QTimer::singleShot(0, [this, buttonText] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            QStringList buttons;
            QAbstractButton* answer = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                buttons.append(button->text());
                answer = button->text() == buttonText ? button : answer;
            }
            buttons.sort();
            const auto textOf = [](QAbstractButton* b) { return b ? b->text() : u"none"_s; };
            shown.append(u"%1\n%2, %3: %4, default %5, escape %6"_s.arg(
                box->text(), box->informativeText(), QVariant::fromValue(box->icon()).toString(),
                buttons.join(u'/'), textOf(box->defaultButton()), textOf(box->escapeButton())));
            answer ? answer->click() : box->reject();
        });
    }

    QPlainTextEdit view;
    QtOutputPane pane{view};
    QtPasteboard board;
    QtUpdateAlert updateAlert;
    QStringList shown;
};

struct RecordingServices {
    void leaveText() { board.holdText(); }
    void emptyBoard() { board.clear(); }
    void answerWith(const QString& button) {
        updateAlert.answerOffersWith(button == "Download"_L1);
    }

    RecordingOutputPane pane;
    RecordingPasteboard board;
    RecordingUpdateAlert updateAlert;
};

template <typename Services> class PlatformContractTest : public ::testing::Test {
protected:
    Services services;
};

using Implementations = ::testing::Types<QtServices, RecordingServices>;
TYPED_TEST_SUITE(PlatformContractTest, Implementations);

TYPED_TEST(PlatformContractTest, OutputPaneSetReplacesAndAppendJoinsTheEndAsItIs) {
    OutputPane& pane = this->services.pane;
    pane.setOutput(u"first report\n"_s);
    pane.setOutput(u"scan of /tmp\n"_s);
    pane.appendOutput(u"Permission denied"_s);
    pane.appendOutput(u" and more\nlast line"_s);
    EXPECT_EQ(pane.output(), u"scan of /tmp\nPermission denied and more\nlast line"_s);
}

TYPED_TEST(PlatformContractTest, PasteboardRecordsTravelAsOneItemEachInOrder) {
    const QList<QByteArray> archives = {
        ResourceItem(u"user.b"_s, "2").archive(),
        ResourceItem(u"user.a"_s, QByteArray("\0\xff", 2)).archive(),
        ResourceItem(u"user.c"_s, {}).archive()};
    Pasteboard& board = this->services.board;
    board.writeRecords(archives);
    EXPECT_EQ(board.items(),
              (QList<std::optional<QByteArray>>{archives.at(0), archives.at(1), archives.at(2)}));
    this->services.leaveText();
    EXPECT_EQ(board.items(), (QList<std::optional<QByteArray>>{std::nullopt}));
    this->services.emptyBoard();
    EXPECT_TRUE(board.items().isEmpty());
}

TYPED_TEST(PlatformContractTest, UpdateAlertShowsTheFixedErrorMessageAndOnlyDownloadTakesAnOffer) {
    TypeParam& alerts = this->services;
    alerts.answerWith(u"OK"_s);
    alerts.updateAlert.showUpdateError(u"Update Property List has no entries."_s);
    alerts.answerWith(u"Download"_s);
    EXPECT_TRUE(alerts.updateAlert.offerUpdate(u"version 3"_s, u"running 2"_s));
    alerts.answerWith(u"Ignore"_s);
    EXPECT_FALSE(alerts.updateAlert.offerUpdate(u"version 4"_s, u"running 2"_s));
    // What the real boxes show; Enter or Escape at an offer must not start a download.
    if constexpr (std::is_same_v<TypeParam, QtServices>) {
        const QString offer =
            u"\nrunning 2, Information: Download/Ignore, default Ignore, escape Ignore"_s;
        EXPECT_EQ(alerts.shown,
                  (QStringList{u"An error occurred:\nUpdate Property List has no entries., "
                               "Critical: OK, default none, escape none"_s,
                               u"version 3"_s + offer, u"version 4"_s + offer}));
    }
}

} // namespace

// Many failures, and more while the box is open: one box, within the screen, offering every line.
TEST(QtErrorAlertTest, ShowsEveryLineInOneCriticalBoxThatFitsTheScreen) {
    QtErrorAlert alert;
    alert.showErrorAlert(u"setxattr error: Operation not supported"_s);
    QMessageBox* box = alert.openAlert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), box);
    EXPECT_EQ(box->text() + u'\n' + box->informativeText(),
              u"An error occurred in your last action:\nsetxattr error: Operation not supported"_s);
    EXPECT_TRUE(box->icon() == QMessageBox::Critical && box->buttons().size() == 1);
    box->button(QMessageBox::Ok)->click();
    EXPECT_EQ(alert.openAlert(), nullptr);

    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines.append(
            u"setxattr error: No space left on device (/tmp/f, user.attribute%1)"_s.arg(i));
    alert.showErrorAlert(lines.mid(0, 150).join(u'\n'));
    alert.showErrorAlert(lines.mid(150).join(u'\n'));
    box = alert.openAlert();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->screen()->availableGeometry().contains(box->frameGeometry()));
    const QString offered = box->informativeText() + u'\n' + box->detailedText();
    for (const QString& line : std::as_const(lines))
        EXPECT_TRUE(offered.contains(line)) << line.toStdString();
    box->button(QMessageBox::Ok)->click();
}

// The desktop's handler for web addresses is replaced by a signal that takes an address, so that
// the real workspace is tested without starting a browser.
TEST(QtWorkspaceTest, OpensEachAddressAsGiven) {
    QTextBrowser recorder;
    const QSignalSpy opened(&recorder, &QTextBrowser::sourceChanged);
    QDesktopServices::setUrlHandler(u"https"_s, &recorder, "sourceChanged");
    const QList<QUrl> urls = {QUrl(u"https://www.brackenfield.co/palvorn/download/a%20b.dmg"_s),
                              QUrl(u"https://www.brackenfield.co/palvorn/download/?v=2#notes"_s)};
    QtWorkspace workspace;
    for (const QUrl& url : urls)
        workspace.openURL(url);
    QDesktopServices::unsetUrlHandler(u"https"_s);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ((QList<QUrl>{opened.at(0).at(0).toUrl(), opened.at(1).at(0).toUrl()}), urls);
}

// Alert texts name attributes and files, which anyone may have named as markup: the real box
// shows them as text, in each of its labels.
TEST(QtErrorAlertTest, ShowsMarkupInANameAsText) {
    QtErrorAlert alert;
    const QString line = u"xattr not found (attribute \u201cuser.<b>x</b><a href=\"h\">l</a>\u201d "
                         "of \u201c/tmp/<img src=x>\u201d)"_s;
    alert.showErrorAlert(line);
    QMessageBox* box = alert.openAlert();
    ASSERT_NE(box, nullptr);
    QList<const QLabel*> shown;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text() == line)
            shown.append(label);
    }
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.front()->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::Ok)->click();
}
