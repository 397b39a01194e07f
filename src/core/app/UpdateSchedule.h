#pragma once

class QDateTime;
class QSettings;

namespace palvorn {

// When the launch-time update check runs: at most once per interval, unless turned off. The
// settings hold "noUpdateCheck" (bool), "updateCheckInt" (seconds) and "dateLastUpdateCheck"
// (seconds since 2001-01-01 00:00:00 UTC, when the last check was started).
class UpdateSchedule {
public:
    // Any stored interval below one second means this one: twelve hours.
    static constexpr double defaultInterval = 43200.0;

    // Decides whether a check is due at `now` (seconds since 2001). Writes the switch and the
    // interval in effect back in every case, so that both keys exist after the first launch.
    static bool apply(QSettings& settings, double now);
    // Stores the start of a check once it has completed: one that could not reach the list (no
    // network) is tried again at the next launch instead of twelve hours later.
    static void recordCheck(QSettings& settings, double startedAt);

    static double secondsSince2001(const QDateTime& time);
};

} // namespace palvorn
