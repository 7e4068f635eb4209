// Test programs live apart from the program's modules: the network layer is the one built here.
#include "online/webaccess.h"

namespace {
const bool g_webModule = (kelvara::SetWebModulePath(KELVARA_WEB_MODULE_PATH), true);
} // namespace
