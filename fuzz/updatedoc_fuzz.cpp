// The update document as the service may send it: parsed, queried, its version read and compared,
// its file name turned into the download address.
#include "online/updateinfo.h"
#include "online/xmlfile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CXmlFile document;
    if (!document.LoadBuffer(reinterpret_cast<const char*>(data), size))
        return 0;
    std::string text;
    if (document.GetNodeText(kelvara::kVersionQuery, text)) {
        kelvara::PackedVersion latest;
        kelvara::ParseVersionText(text, latest);
        (void)kelvara::IsNewerVersion(latest, kelvara::PackVersion(1, 0, 0, 0));
    }
    if (document.GetNodeText(kelvara::kFileNameQuery, text))
        (void)kelvara::BuildDownloadUrl("https://updates.example", text);
    // Version text straight from the input, too: the reader must cope with any bytes.
    kelvara::PackedVersion direct;
    kelvara::ParseVersionText(std::string_view(reinterpret_cast<const char*>(data), size), direct);
    return 0;
}
