#pragma once

#include "core/app/BuildSettings.h"

#include <QLatin1StringView>

namespace palvorn {

// The publisher's addresses, in one place: the update list, the site every download address
// in it must point into, and the pages the Help menu opens. Set when the build is configured.
namespace PublisherSite {
inline constexpr QLatin1StringView listAddress = BuildSettings::updateListAddress;
inline constexpr QLatin1StringView downloadSite = BuildSettings::downloadSite;
inline constexpr QLatin1StringView supportPage = BuildSettings::supportPage;
inline constexpr QLatin1StringView updateNotesPage = BuildSettings::updateNotesPage;
// For systems before macOS 10.12, which the current versions no longer support.
inline constexpr QLatin1StringView legacyUpdateNotesPage = BuildSettings::legacyUpdateNotesPage;
} // namespace PublisherSite

} // namespace palvorn
