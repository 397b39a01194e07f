#include "core/app/UpdateSchedule.h"

#include <cmath>

#include <QDateTime>
#include <QSettings>

using namespace Qt::Literals::StringLiterals;

namespace palvorn {

bool UpdateSchedule::apply(QSettings& settings, double now) {
    const bool noCheck = settings.value(u"noUpdateCheck"_s, false).toBool();
    const double stored = settings.value(u"updateCheckInt"_s, 0.0).toDouble();
    const double interval = stored >= 1.0 ? stored : defaultInterval;
    double last = settings.value(u"dateLastUpdateCheck"_s, 0.0).toDouble();
    // A damaged date must not turn the check off for good.
    if (!std::isfinite(last))
        last = 0.0;

    const bool due = interval < now - last && !noCheck;
    settings.setValue(u"noUpdateCheck"_s, noCheck);
    settings.setValue(u"updateCheckInt"_s, interval);
    return due;
}

void UpdateSchedule::recordCheck(QSettings& settings, double startedAt) {
    settings.setValue(u"dateLastUpdateCheck"_s, startedAt);
}

double UpdateSchedule::secondsSince2001(const QDateTime& time) {
    static const QDateTime referenceDate(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return double(referenceDate.msecsTo(time)) / 1000.0;
}

} // namespace palvorn
