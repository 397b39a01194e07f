#include <QApplication>
#include <gtest/gtest.h>

// Window tests need a QApplication; they run on the offscreen platform and never wait on a
// dialog, because every panel and alert is a recording stand-in.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
