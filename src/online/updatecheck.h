#pragma once

#include "online/updateinfo.h"

#include <functional>

class QWidget;

// Asks the update service for the current version and compares it with the running program's.
// When the service knows a newer one and the user agrees, opens its download address in the
// browser; otherwise says that this is the latest version. Failed or cancelled transfers have been
// reported by the download dialog and end the check silently.
void CheckForUpdates(QWidget* parent);

namespace kelvara {

// The program's own version; false when it cannot be read.
using VersionSource = std::function<bool(PackedVersion& version)>;

// CheckForUpdates against the version `programVersion` gives (tests pretend to be other versions).
void CheckForUpdatesAgainst(QWidget* parent, const VersionSource& programVersion);

} // namespace kelvara
