#include "model/ResourceItem.h"
#include "platform/QtErrorAlert.h"
#include "platform/QtOutputPane.h"
#include "platform/QtPasteboard.h"
#include "platform/QtUpdateAlert.h"
#include "platform/QtWorkspace.h"
#include "platform/RecordingOutputPane.h"
#include "platform/RecordingPasteboard.h"
#include "platform/RecordingUpdateAlert.h"

#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

// Where a recording stand-in could behave otherwise than the real Qt service, both are held to one
// contract, each with a driver that plays the user's part. (The panels are held to theirs by the
// real dialogs' tests and by every window test.)
namespace {

template <typename Pane> class OutputPaneContractTest : public ::testing::Test {
protected:
    std::unique_ptr<OutputPane> makePane() {
        if constexpr (std::is_same_v<Pane, QtOutputPane>)
            return std::make_unique<QtOutputPane>(m_view);
        else
            return std::make_unique<Pane>();
    }
    QPlainTextEdit m_view;
};

using PaneImplementations = ::testing::Types<QtOutputPane, RecordingOutputPane>;
TYPED_TEST_SUITE(OutputPaneContractTest, PaneImplementations);

TYPED_TEST(OutputPaneContractTest, SetReplacesAndAppendJoinsTheEndAsItIs) {
    const std::unique_ptr<OutputPane> pane = this->makePane();
    pane->setOutput(u"first report\n"_s);
    pane->setOutput(u"scan of /tmp\n"_s);
    pane->appendOutput(u"Permission denied"_s);
    pane->appendOutput(u" and more\nlast line"_s);
    EXPECT_EQ(pane->output(), u"scan of /tmp\nPermission denied and more\nlast line"_s);
    pane->setOutput(QString());
    EXPECT_EQ(pane->output(), QString());
}

template <typename Board> class PasteboardContractTest : public ::testing::Test {
protected:
    void holdText() {
        if constexpr (std::is_same_v<Board, QtPasteboard>)
            QGuiApplication::clipboard()->setText(u"some text"_s);
        else
            board.holdText();
    }
    void clear() {
        if constexpr (std::is_same_v<Board, QtPasteboard>)
            QGuiApplication::clipboard()->clear();
        else
            board.clear();
    }
    Board board;
};

using PasteboardImplementations = ::testing::Types<QtPasteboard, RecordingPasteboard>;
TYPED_TEST_SUITE(PasteboardContractTest, PasteboardImplementations);

TYPED_TEST(PasteboardContractTest, RecordsTravelAsOneItemEachInOrder) {
    const QList<QByteArray> archives = {
        ResourceItem(u"user.b"_s, "2").archive(),
        ResourceItem(u"user.a"_s, QByteArray("\0\xff", 2)).archive(),
        ResourceItem(u"user.c"_s, {}).archive()};
    this->board.writeRecords(archives);
    EXPECT_EQ(this->board.items(),
              (QList<std::optional<QByteArray>>{archives.at(0), archives.at(1), archives.at(2)}));
    this->holdText();
    EXPECT_EQ(this->board.items(), (QList<std::optional<QByteArray>>{std::nullopt}));
    this->clear();
    EXPECT_TRUE(this->board.items().isEmpty());
}

// Plays the user at the real update alerts: from inside the alert's own event loop, notes what
// it shows and presses the button with the given text.
struct QtUpdateAlerts {
    struct Shown {
        QString text, informative;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        QString defaultButton, escapeButton;
    };

    void answerWith(const QString& buttonText) {
        QTimer::singleShot(0, [this, buttonText] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            Shown seen{box->text(),
                       box->informativeText(),
                       box->icon(),
                       {},
                       box->defaultButton() ? box->defaultButton()->text() : QString(),
                       box->escapeButton() ? box->escapeButton()->text() : QString()};
            QAbstractButton* answer = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                seen.buttons.append(button->text());
                if (button->text() == buttonText)
                    answer = button;
            }
            shownBoxes.append(seen);
            ASSERT_NE(answer, nullptr) << buttonText.toStdString();
            answer->click();
        });
    }
    QList<std::pair<QString, QString>> shown() const {
        QList<std::pair<QString, QString>> texts;
        for (const Shown& box : shownBoxes)
            texts.append({box.text, box.informative});
        return texts;
    }

    QtUpdateAlert alert;
    QList<Shown> shownBoxes;
};

struct RecordingUpdateAlerts {
    void answerWith(const QString& buttonText) {
        alert.answerOffersWith(buttonText == "Download"_L1);
    }
    QList<std::pair<QString, QString>> shown() const {
        QList<std::pair<QString, QString>> texts;
        for (const QString& error : alert.errors())
            texts.append({UpdateAlert::errorMessageText(), error});
        for (const RecordingUpdateAlert::Offer& offer : alert.offers())
            texts.append({offer.messageText, offer.informativeText});
        return texts;
    }

    RecordingUpdateAlert alert;
};

template <typename Alerts> class UpdateAlertContractTest : public ::testing::Test {
protected:
    Alerts alerts;
};

using UpdateAlertImplementations = ::testing::Types<QtUpdateAlerts, RecordingUpdateAlerts>;
TYPED_TEST_SUITE(UpdateAlertContractTest, UpdateAlertImplementations);

TYPED_TEST(UpdateAlertContractTest, AnErrorShowsTheFixedMessageAndAnOfferIsTakenOnlyByDownload) {
    this->alerts.answerWith(u"OK"_s);
    this->alerts.alert.showUpdateError(u"Update Property List has no entries."_s);
    this->alerts.answerWith(u"Download"_s);
    EXPECT_TRUE(this->alerts.alert.offerUpdate(u"version 3"_s, u"running 2"_s));
    this->alerts.answerWith(u"Ignore"_s);
    EXPECT_FALSE(this->alerts.alert.offerUpdate(u"version 4"_s, u"running 2"_s));
    EXPECT_EQ(this->alerts.shown(),
              (QList<std::pair<QString, QString>>{
                  {u"An error occurred:"_s, u"Update Property List has no entries."_s},
                  {u"version 3"_s, u"running 2"_s},
                  {u"version 4"_s, u"running 2"_s}}));
    // The real boxes: Enter or Escape at an offer must not start a download.
    if constexpr (std::is_same_v<TypeParam, QtUpdateAlerts>) {
        const auto& boxes = this->alerts.shownBoxes;
        EXPECT_EQ(boxes.at(0).icon, QMessageBox::Critical);
        EXPECT_EQ(boxes.at(0).buttons, QStringList{u"OK"_s});
        EXPECT_EQ(boxes.at(1).icon, QMessageBox::Information);
        EXPECT_EQ(QSet<QString>(boxes.at(1).buttons.begin(), boxes.at(1).buttons.end()),
                  (QSet<QString>{u"Ignore"_s, u"Download"_s}));
        EXPECT_EQ(boxes.at(1).buttons.size(), 2);
        EXPECT_EQ(boxes.at(1).defaultButton, u"Ignore"_s);
        EXPECT_EQ(boxes.at(1).escapeButton, u"Ignore"_s);
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
    EXPECT_EQ(box->text(), u"An error occurred in your last action:"_s);
    EXPECT_EQ(box->informativeText(), u"setxattr error: Operation not supported"_s);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->buttons().size(), 1);
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
    int boxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        boxes += qobject_cast<QMessageBox*>(widget) && widget->isVisible() ? 1 : 0;
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(box->screen()->availableGeometry().contains(box->frameGeometry()));
    const QString offered = box->informativeText() + u'\n' + box->detailedText();
    for (const QString& line : std::as_const(lines))
        EXPECT_TRUE(offered.contains(line)) << line.toStdString();
    box->button(QMessageBox::Ok)->click();
}

namespace {

// The desktop's real handler for web addresses is replaced by one of our own, so that the
// real workspace is tested without starting a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

TEST(QtWorkspaceTest, OpensEachAddressAsGiven) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    const QList<QUrl> urls = {QUrl(u"https://www.brackenfield.co/palvorn/download/a%20b.dmg"_s),
                              QUrl(u"https://www.brackenfield.co/palvorn/download/?v=2#notes"_s)};
    QtWorkspace workspace;
    for (const QUrl& url : urls)
        workspace.openURL(url);
    QDesktopServices::unsetUrlHandler(u"https"_s);
    EXPECT_EQ(catcher.urls, urls);
}

#include "PlatformContractTest.moc"
