#pragma once

#include "platform/profilestore.h"

// The settings store as a module of its own (kelvara-settings.so), so that a program which needs
// the stored settings only now and then loads Qt only then. The module exports one C function of
// this type under the name below; it returns a new read-only or read-write store, which the
// caller deletes (the destructor is virtual).
extern "C" {
using KelvaraSettingsStoreFactory = kelvara::ProfileStore* (*)(int readOnly);
}

namespace kelvara {
inline constexpr const char* kSettingsModuleEntry = "KelvaraCreateSettingsStore";
} // namespace kelvara
