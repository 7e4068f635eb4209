// The work of one keystroke in the source field: read the field in neutral notation, convert with
// a linear unit, show the result in regional notation. Locale items are read from the
// environment at every conversion, as the program does.
#include "catalogue/defaultunit.h"
#include "platform/localeitems.h"
#include "platform/regional.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <locale.h>

#ifdef KELVARA_BENCH_GUI
#include "page/numberedit.h"

#include <QApplication>
#endif

namespace {

// Prefers a locale with grouping and a decimal comma when the system has one.
const char* ChooseLocale()
{
    static const char* chosen = [] {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "C.UTF-8"}) {
            if (locale_t l = newlocale(LC_ALL_MASK, name, nullptr)) {
                freelocale(l);
                ::setenv("LC_ALL", name, 1);
                return name;
            }
        }
        return "C";
    }();
    return chosen;
}

struct Units {
    CDefaultUnit meter;
    CDefaultUnit foot;
    Units()
    {
        meter.Parse("meter (m),1");
        foot.Parse("foot (ft),0.3048");
    }
};

void BM_ReadLocaleItems(benchmark::State& state)
{
    state.SetLabel(ChooseLocale());
    for (auto _ : state)
        benchmark::DoNotOptimize(kelvara::ReadEnvironmentLocaleItems());
}
BENCHMARK(BM_ReadLocaleItems);

void BM_KeystrokeServices(benchmark::State& state)
{
    state.SetLabel(ChooseLocale());
    const Units units;
    const std::string typed = ToRegionalNumber("1234567.891");
    for (auto _ : state) {
        const std::string value = FromRegionalNumber(typed);
        const std::string result = units.meter.Convert(value, units.foot);
        benchmark::DoNotOptimize(ToRegionalNumber(result));
    }
}
BENCHMARK(BM_KeystrokeServices);

#ifdef KELVARA_BENCH_GUI
void BM_KeystrokeNumberEdit(benchmark::State& state)
{
    state.SetLabel(ChooseLocale());
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "regional_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);

    const Units units;
    // Neither field is shown, so nothing is painted.
    CNumberEdit source;
    CNumberEdit target;
    source.setText(QString::fromStdString(ToRegionalNumber("1234567.891")));
    for (auto _ : state) {
        const std::string value = FromRegionalNumber(source.text().toStdString());
        target.setText(QString::fromStdString(ToRegionalNumber(units.meter.Convert(value, units.foot))));
    }
    benchmark::DoNotOptimize(target.text());
}
BENCHMARK(BM_KeystrokeNumberEdit);
#endif

} // namespace
