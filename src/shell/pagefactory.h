#pragma once

class CConvertSheet;
class QWidget;

// The seams where the sheet gets the pages and services built elsewhere. Each is one function, so
// that bringing in the real piece is a change here only.
namespace kelvara {

// The first tab. Called while the sheet is being built, after its options page exists; the page is
// connected here to the sheet's UseRegionalSettingsChanged, SignificantDigitsChanged and
// SystemTimeZoneChanged.
QWidget* CreateConversionPage(CConvertSheet& sheet);

// The third tab.
QWidget* CreateAboutPage(CConvertSheet& sheet);

// "Check for &Updates..." on the options page and in the tray's Help menu.
void RunUpdateCheck(QWidget* parent);

// "Update Currency &Rates" in the tray's Help menu: the reference rates, behind the download
// dialog, into the conversion page's catalogue.
void RunRatesUpdate(CConvertSheet& sheet);

// The updates in the background while the option "Keep currency rates up to date" is on
// (RatesAutoUpdate); the objects live as long as the sheet.
void StartRatesAutoUpdate(CConvertSheet& sheet);

} // namespace kelvara
