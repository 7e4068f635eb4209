// Arbitrary bytes as a data file: the reader, the splitter and every unit class's Parse must
// neither crash nor hang.
#include "catalogue/countrycode.h"
#include "catalogue/currency.h"
#include "catalogue/defaultunit.h"
#include "catalogue/number.h"
#include "catalogue/reciprocalunit.h"
#include "catalogue/sensitivity.h"
#include "catalogue/temperature.h"
#include "catalogue/textfilereader.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
std::string TempFile()
{
    static std::string path = [] {
        char name[] = "/tmp/kelvara-fuzz-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0)
            ::close(fd);
        return std::string(name);
    }();
    return path;
}

template <typename Unit, typename Peer> void Exercise(const std::string& line, Peer& peer)
{
    Unit unit;
    if (!unit.Parse(line))
        return;
    (void)unit.GetName();
    (void)unit.GetInputChars();
    if constexpr (std::is_base_of_v<CConversionUnit, Unit>) {
        (void)unit.NoResultReason(line, peer);
        (void)unit.Convert(line, peer);
        (void)peer.Convert(line, unit);
        (void)unit.Convert("5.9", unit);
    } else {
        for (int column = -1; column <= 6; ++column)
            (void)unit.GetColumnText(column);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = TempFile();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    CDefaultUnit meter;
    meter.Parse("meter (m),1");
    CTemperature celsius;
    celsius.Parse("C,1");
    CNumber roman;
    roman.Parse("Roman,100");
    CCurrency euro;
    euro.Parse("Euro,EUR,T,1");
    CReciprocalUnit perHundred;
    perHundred.Parse("L/100 km,100,r");
    try {
        CTextFileReader reader(path);
        // The same bytes from memory (the built-in archive's way) must give the same lines.
        CTextFileReader memory{std::span<const std::uint8_t>(data, size)};
        if (memory.GetEncoding() != reader.GetEncoding())
            __builtin_trap();
        std::string line;
        std::string fromMemory;
        int lines = 0;
        while (reader.ReadLine(line) && ++lines < 100000) {
            if (!memory.ReadLine(fromMemory) || fromMemory != line)
                __builtin_trap();
            Exercise<CDefaultUnit>(line, meter);
            Exercise<CTemperature>(line, celsius);
            Exercise<CNumber>(line, roman);
            Exercise<CCurrency>(line, euro);
            Exercise<CReciprocalUnit>(line, perHundred);
            Exercise<CSensitivity>(line, meter);
            Exercise<CCountryCode>(line, meter);
        }
        if (lines < 100000 && memory.ReadLine(fromMemory))
            __builtin_trap();
    } catch (const CFileException&) {
    }
    return 0;
}
