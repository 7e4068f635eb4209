#include "support/locales.h"

#include "support/process.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale.h>

// glibc's newlocale keeps its split-up copy of LOCPATH on every call made with that variable set,
// which the generated test locales need; that memory is the C library's, not ours to find.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:__argz_add_sep\n";
}

namespace kelvara::test {

namespace {
bool Loadable(const std::string& name)
{
    locale_t locale = ::newlocale(LC_ALL_MASK, name.c_str(), nullptr);
    if (locale)
        ::freelocale(locale);
    return locale != nullptr;
}
} // namespace

std::string ProvideLocale(const std::string& name)
{
    if (Loadable(name))
        return {};
    // A folder of its own for each locale: the C library remembers where it looked in vain, so a
    // folder searched before the locale was made there would never be searched again.
    const std::string folder = TestRoot() + "/locales/" + name;
    std::filesystem::create_directories(folder);
    const auto dot = name.find('.');
    const std::string charset = dot == std::string::npos ? "UTF-8" : name.substr(dot + 1);
    const ProcessResult r = RunProcess({"localedef", "-i", name.substr(0, dot), "-f", charset, folder + "/" + name});
    const char* path = std::getenv("LOCPATH");
    ::setenv("LOCPATH", (path && *path ? std::string(path) + ":" + folder : folder).c_str(), 1);
    // Exit status 1 means warnings only; whether the locale loads decides.
    if (Loadable(name))
        return {};
    return "cannot generate locale " + name + ": localedef " +
           (r.exitCode < 0 ? std::string("could not run (is the locales package installed?)")
                           : "exited with status " + std::to_string(r.exitCode) + ": " + r.err);
}

} // namespace kelvara::test
