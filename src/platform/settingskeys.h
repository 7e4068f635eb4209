#pragma once

// Where each setting lives in the settings store (ProfileStore): sections and entries, named once.
// The names are those of stored files: never change one.

namespace kelvara {

// The user's options and the addresses that override the built-in ones.
inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kCloseToSystray = "CloseToSystray";
inline constexpr const char* kAlwaysOnTop = "AlwaysOnTop";
inline constexpr const char* kShowBalloon = "ShowBalloon";
inline constexpr const char* kUseRegionalSettings = "UseRegionalSettings";
// 1 (the default): fetch the reference rates in the background while the program runs.
inline constexpr const char* kUpdateRates = "UpdateRates";
// 0: all; absent or out of range: the default.
inline constexpr const char* kSignificantDigitsOption = "SignificantDigits";
// 1 (the default): the rate line reads against one euro, 0: against one US dollar.
inline constexpr const char* kEuroReference = "EuroReference";
// Milliseconds between looks for a tray that is not there yet.
inline constexpr const char* kTrayRetryMs = "TrayRetryMs";
inline constexpr const char* kServiceUrl = "ServiceUrl";
inline constexpr const char* kUpdateServiceUrl = "UpdateServiceUrl";
inline constexpr const char* kHomePageUrl = "HomePageUrl";
inline constexpr const char* kReferenceRatesUrl = "ReferenceRatesUrl";
inline constexpr const char* kWorldRatesUrl = "WorldRatesUrl";

// The conversion's remembered selections (ConversionCore).
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kCategoryEntry = "Category";
// 1: the stored category is its place in the catalogue, not in the list by name.
inline constexpr const char* kCategoryOrderEntry = "CategoryOrder";
// "Settings\Categories\<n>": one category's selections.
inline constexpr const char* kCategoriesSection = "Settings\\Categories\\";
inline constexpr const char* kSourceUnitEntry = "SourceUnit";
inline constexpr const char* kTargetUnitEntry = "TargetUnit";
inline constexpr const char* kSourceValueEntry = "SourceValue";
// 1: the stored units and rows count in the category's own order (its data file's rows, its
// columns as it declares them), not by name.
inline constexpr const char* kUnitOrderEntry = "UnitOrder";

// The rates the user typed or fetched. Under the code itself the rate in neutral notation (what
// every version reads); beside it "<code>" kRateDateSuffix (YYYY-MM-DD) and "<code>"
// kRateSourceSuffix. Rates stored before dates were kept have neither and read as of unknown age.
inline constexpr const char* kRatesSection = "Settings\\Rates";
inline constexpr const char* kRateDateSuffix = ".Date";
inline constexpr const char* kRateSourceSuffix = ".Source";
// The day of the last reference-rate document stored (YYYY-MM-DD), in the same section.
inline constexpr const char* kReferenceRatesDateEntry = "ReferenceRatesDate";
// The day of the last world-rate document stored, likewise.
inline constexpr const char* kWorldRatesDateEntry = "WorldRatesDate";

} // namespace kelvara
