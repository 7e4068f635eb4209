#include "shell/pagefactory.h"

#include "online/rateretrieval.h"
#include "online/updatecheck.h"
#include "page/conversionpage.h"
#include "shell/aboutpage.h"
#include "shell/convertsheet.h"

namespace kelvara {

QWidget* CreateConversionPage(CConvertSheet& sheet)
{
    auto* page = new CConversionPage;
    // The page names its category in the caption from the first selection on.
    sheet.setWindowTitle(page->Caption());
    QObject::connect(page, &CConversionPage::CaptionChanged, &sheet, &QWidget::setWindowTitle);
    if (page->UsesRegionalSettings() != sheet.IsUseRegionalSettings())
        page->SetUseRegionalSettings(sheet.IsUseRegionalSettings());
    QObject::connect(&sheet, &CConvertSheet::UseRegionalSettingsChanged, page,
                     &CConversionPage::SetUseRegionalSettings);
    QObject::connect(&sheet, &CConvertSheet::SystemTimeZoneChanged, page,
                     &CConversionPage::RefreshTimeZoneDisplay);
    page->SetRateFetcher([page](CCurrency& currency) { return FetchRate(page, currency); });
    // A page that could not start leaves Cancel as it is.
    if (page->IsWorking())
        sheet.CancelToClose();
    return page;
}

QWidget* CreateAboutPage(CConvertSheet& /*sheet*/)
{
    return new CAboutPage;
}

void RunUpdateCheck(QWidget* parent)
{
    ::CheckForUpdates(parent);
}

} // namespace kelvara
