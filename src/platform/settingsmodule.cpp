// The entry of kelvara-settings.so: the QSettings store behind a plain C function.

#include "platform/settingsmodule.h"

#include "platform/settingsprofilestore.h"

#include <new>

extern "C" __attribute__((visibility("default"))) kelvara::ProfileStore*
KelvaraCreateSettingsStore(int readOnly)
{
    using Access = kelvara::SettingsProfileStore::Access;
    return new (std::nothrow) kelvara::SettingsProfileStore(readOnly ? Access::ReadOnly : Access::ReadWrite);
}
