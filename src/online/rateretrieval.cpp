#include "online/rateretrieval.h"

#include "catalogue/currency.h"
#include "online/currencyrate.h"
#include "online/downloaddlg.h"
#include "platform/serviceaddress.h"
#include "text/strings.h"

bool RetrieveRate(QWidget* parent, const CCurrency& currency, double& rate)
{
    if (currency.IsFixed())
        return false;
    CDownloadDlg dialog(parent);
    dialog.SetOperation(kelvara::LoadString(kelvara::IDS_RETRIEVING_RATE));
    dialog.SetUrl(BuildRateUrl(kelvara::ServiceAddress(), currency.GetCode()));
    if (dialog.exec() != 1)
        return false;
    return ParseRatePage(dialog.ReadFileText(), currency.GetCode(), rate);
}

namespace kelvara {

std::optional<double> FetchRate(QWidget* parent, const CCurrency& currency)
{
    double rate = 0;
    if (!RetrieveRate(parent, currency, rate))
        return std::nullopt;
    return rate;
}

} // namespace kelvara
