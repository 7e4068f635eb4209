#include "platform/serviceaddress.h"

#include "platform/profilestore.h"

#ifndef KELVARA_SERVICE_ADDRESS
#define KELVARA_SERVICE_ADDRESS "https://services.kelvara.example"
#endif

namespace kelvara {

namespace {
bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size())
            return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}
} // namespace

std::string ServiceAddress()
{
    std::string address = Profile().GetProfileString("Settings", "ServiceAddress", "");
    if (!StartsWithNoCase(address, "http://") && !StartsWithNoCase(address, "https://"))
        address = KELVARA_SERVICE_ADDRESS;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

} // namespace kelvara
