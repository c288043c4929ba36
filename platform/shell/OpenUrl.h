#pragma once
// Opens a web address in the user's default browser; the outcome is not
// reported (no browser, no network: nothing is shown).

#include <QString>
#include <functional>

namespace platform {

void OpenUrl(const QString& address);

// Where addresses go. Tests install a recorder; an empty function brings
// back the browser. Returns the previous one.
using OpenUrlSink = std::function<void(const QString& address)>;
OpenUrlSink SetOpenUrlSink(OpenUrlSink sink);

} // namespace platform
