#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/category.h"
#include "catalogue/civiltime.h"
#include "catalogue/conversioncore.h"
#include "catalogue/conversionunit.h"
#include "catalogue/sortedlist.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvara::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitLoadFailed = 1,  // the program's own messages have been printed
    kExitUsage = 2,       // a bad command line, or a name that fits no choice or several
    kExitNotFound = 1,    // find: nothing matched
    kExitWriteFailed = 1, // standard output could not be written
    kExitNoResult = 1,    // the value has no result in the target unit (the reason is printed)
};

// The commands of kelvara-cli over the conversion core: the tool chooses by name and prints what
// the core gives.
class Commands {
public:
    // The catalogue's archive goes as soon as the category a command needs has loaded, with the
    // inflated data it holds.
    Commands(Catalogue& catalogue, ProfileStore& store, std::FILE* out, std::FILE* err, bool regional);

    // The universal time Time Difference shows instead of the current one.
    void SetInstant(kelvara::UtcTicks instant) { m_core.SetInstant(instant); }

    // Chooses the category called `name` in the core and loads it; null after telling why (exitCode
    // set).
    CCategory* FindLoadedCategory(const std::string& name, int& exitCode);

    int ListCategories();
    int ListUnits(const std::string& categoryName);
    int Convert(const std::string& categoryName, const std::string& value, const std::string& from,
                const std::string& to);
    // Prints "category<TAB>unit" for every unit of every category whose text holds all the words.
    int Find(const std::vector<std::string>& words);
    // The candidates of the shell completion scripts (complete.cpp tells how they are asked).
    int Complete(const std::vector<std::string>& args);
    // Convert for every value read from `inputFd`, one a line (batch.h); exit status 1 when a line
    // could not be read.
    int ConvertLines(const std::string& categoryName, const std::string& from, const std::string& to,
                     int inputFd);

private:
    // The position of the category called `name` in the core's list; -1 after telling why.
    int FindCategory(const std::string& name);
    // Finds FROM and TO among the category's units and chooses them in the core; false after
    // telling why when either cannot be chosen.
    bool ChooseUnits(CCategory& category, const std::string& from, const std::string& to);
    // The zone called `name` chosen on one side (0: source, 1: target); false after telling why.
    bool ChooseZone(CCategory& category, int side, const std::string& name);
    // Picks VALUE among the rows of a lookup whose rows follow the source column; false after
    // telling why.
    bool ChooseRow(CCategory& category, const std::string& value);
    void Print(const std::string& line);

    Catalogue& m_catalogue;
    ConversionCore m_core;
    std::FILE* m_out;
    std::FILE* m_err;
};

} // namespace kelvara::cli
