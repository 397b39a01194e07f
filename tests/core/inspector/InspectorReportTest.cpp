#include "core/inspector/InspectorReport.h"

#include "support/XattrFixture.h"

#include <QDir>
#include <QFile>

using namespace palvorn;
using namespace Qt::Literals::StringLiterals;

using InspectorReportTest = XattrFixture;

// A save that fails half-way (here: the file size limit, hit after the first 4 KiB) keeps the old
// report as it was and leaves nothing else behind: whether the write itself fails (a long report)
// or only the flush when the file is committed (a report that fits the write buffer). Neither the
// inspected file nor a link to it is ever replaced by its report.
TEST_F(InspectorReportTest, AFailedOrRefusedSaveKeepsThePreviousFile) {
    const QString target = makeFile(u"report.text"_s, "the previous report\n");
    for (const qsizetype length : {qsizetype(1) << 20, qsizetype(6000)}) {
        SCOPED_TRACE(length);
        EXPECT_TRUE(succeedsWithFileSizeLimit(4096, [&] {
            return InspectorReport::writeReport(target, QString(length, u'x'), {})
                .startsWith(u"The report could not be saved to \u201c"_s + target);
        }));
        EXPECT_EQ(runTool(u"cat"_s, {target}), "the previous report\n");
        EXPECT_EQ(QDir(pathOf({})).entryList(QDir::Files), QStringList{u"report.text"_s});
    }
    EXPECT_EQ(InspectorReport::writeReport(target, u"new\n"_s, {}), QString());
    EXPECT_EQ(runTool(u"cat"_s, {target}), "new\n");

    ASSERT_TRUE(QFile::link(target, pathOf(u"link"_s)));
    for (const QString& path : {target, pathOf(u"link"_s)}) {
        EXPECT_TRUE(InspectorReport::writeReport(path, u"report"_s, target)
                        .contains(u"is the inspected file itself"_s));
    }
    EXPECT_EQ(runTool(u"cat"_s, {target}), "new\n");
}
