#pragma once

#include <QLatin1StringView>

namespace palvorn {

// The publisher's fixed addresses, in one place: the update list, the site every download address
// in it must point into, and the pages the Help menu opens.
namespace PublisherSite {
inline constexpr QLatin1StringView listAddress("https://www.brackenfield.co/palvorn/updates.plist");
inline constexpr QLatin1StringView downloadSite("https://www.brackenfield.co/palvorn/download/");
inline constexpr QLatin1StringView supportPage("https://www.brackenfield.co/palvorn/support/");
inline constexpr QLatin1StringView updateNotesPage("https://www.brackenfield.co/palvorn/updates/");
// For systems before macOS 10.12, which the current versions no longer support.
inline constexpr QLatin1StringView
    legacyUpdateNotesPage("https://www.brackenfield.co/palvorn/updates/legacy/");
} // namespace PublisherSite

} // namespace palvorn
