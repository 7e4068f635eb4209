#pragma once

class CConvertSheet;
class QWidget;

// The seams where the sheet gets the pages and services built elsewhere. Each is one function, so
// that bringing in the real piece is a change here only.
namespace kelvara {

// The first tab. Called while the sheet is being built, after its options page exists; the page is
// connected here to the sheet's UseRegionalSettingsChanged and SystemTimeZoneChanged.
QWidget* CreateConversionPage(CConvertSheet& sheet);

// The third tab.
QWidget* CreateAboutPage(CConvertSheet& sheet);

// "Check for &Updates..." on the options page and in the tray's Help menu.
void RunUpdateCheck(QWidget* parent);

} // namespace kelvara
