#include "shell/pagefactory.h"

#include "catalogue/currency.h"
#include "online/rateretrieval.h"
#include "online/referenceupdate.h"
#include "online/updatecheck.h"
#include "page/conversionpage.h"
#include "shell/aboutpage.h"
#include "shell/convertsheet.h"
#include "shell/optionspage.h"
#include "shell/ratesautoupdate.h"

namespace kelvara {

QWidget* CreateConversionPage(CConvertSheet& sheet)
{
    auto* page = new CConversionPage(nullptr, {}, CConversionPage::StartSave::Deferred);
    // The page names its category in the caption from the first selection on.
    sheet.setWindowTitle(page->Caption());
    QObject::connect(page, &CConversionPage::CaptionChanged, &sheet, &QWidget::setWindowTitle);
    // The page reads both options from the store, as the options page shows them.
    QObject::connect(&sheet, &CConvertSheet::UseRegionalSettingsChanged, page,
                     &CConversionPage::SetUseRegionalSettings);
    QObject::connect(&sheet, &CConvertSheet::SignificantDigitsChanged, page,
                     &CConversionPage::SetSignificantDigits);
    QObject::connect(&sheet, &CConvertSheet::SystemTimeZoneChanged, page,
                     &CConversionPage::RefreshTimeZoneDisplay);
    page->SetRateFetcher([page](CCurrency& currency) { return FetchRate(page, currency); });
    page->SetRatesUpdate([page](CCurrencyCategory& currencies, const std::string& code, bool& covered) {
        return UpdateReferenceRates(page, currencies, code, &covered);
    });
    // A page that could not start leaves Cancel as it is.
    if (page->IsWorking())
        sheet.CancelToClose();
    return page;
}

QWidget* CreateAboutPage(CConvertSheet& /*sheet*/)
{
    return new CAboutPage(nullptr, CAboutPage::Content::OnFirstShow);
}

void RunUpdateCheck(QWidget* parent)
{
    ::CheckForUpdates(parent);
}

void RunRatesUpdate(CConvertSheet& sheet)
{
    auto* page = qobject_cast<CConversionPage*>(sheet.GetPage(CConvertSheet::ConversionPage));
    CCurrencyCategory* currencies = page ? page->LoadedCurrencyCategory() : nullptr;
    if (currencies && UpdateReferenceRates(&sheet, *currencies))
        page->RefreshRates();
}

void StartRatesAutoUpdate(CConvertSheet& sheet)
{
    auto* page = qobject_cast<CConversionPage*>(sheet.GetPage(CConvertSheet::ConversionPage));
    if (!page)
        return;
    auto* fetch = new ReferenceRatesFetch([page] { return page->LoadedCurrencyCategory(); }, &sheet);
    QObject::connect(fetch, &ReferenceRatesFetch::Done, page, [page](bool stored) {
        if (stored)
            page->RefreshRates();
    });
    const COptionsPage* options = &sheet.GetOptions();
    new RatesAutoUpdate([options] { return options->IsKeepRatesCurrent(); }, fetch, &sheet);
}

} // namespace kelvara
