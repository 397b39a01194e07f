#include <QApplication>
#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PALVORN_ADDRESS_SANITIZER
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define PALVORN_ADDRESS_SANITIZER
#endif

#ifdef PALVORN_ADDRESS_SANITIZER
// Leaks inside Qt's own code that no caller can release; LeakSanitizer still reports every other
// leak. Built into the test program so that every way of running it uses them.
extern "C" const char* __lsan_default_suppressions() {
    return
        // QPdfView grabs a scroll gesture whose recognizer Qt never frees.
        "leak:QScroller::grabGesture\n"
        // QPdfView's page renderer makes a worker thread object that Qt never frees.
        "leak:QPdfPageRenderer::setRenderMode\n"
        // QPdfDocument keeps its loader when a file is not a PDF.
        "leak:QPdfDocumentPrivate::initiateAsyncLoadWithTotalSizeKnown\n";
}
#endif

// Window tests need a QApplication; they run on the offscreen platform and never wait on a
// dialog, because every panel and alert is a recording stand-in.
int main(int argc, char* argv[]) {
    // An offscreen platform with options (a screen of a given size) is kept as it is.
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The settings the windows write (Open Recent), one folder per process: ctest runs tests side
    // by side, and a shared file would show one test's recent files in another's menu.
    const QString settings = QDir::temp().filePath(
        QStringLiteral("palvorn-settings-%1").arg(QCoreApplication::applicationPid()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    QDir(settings).removeRecursively();
    return status;
}
