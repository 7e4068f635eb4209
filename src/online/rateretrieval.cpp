#include "online/rateretrieval.h"

#include "catalogue/currency.h"
#include "online/currencyrate.h"
#include "online/downloaddlg.h"
#include "platform/serviceaddress.h"
#include "text/strings.h"

namespace kelvara {

std::optional<double> FetchRate(QWidget* parent, const CCurrency& currency)
{
    if (currency.IsFixed())
        return std::nullopt;
    CDownloadDlg dialog(parent);
    dialog.SetOperation(LoadString(IDS_RETRIEVING_RATE));
    dialog.SetUrl(BuildRateUrl(ServiceAddress(), currency.GetCode()));
    double rate = 0;
    if (dialog.exec() != 1 || !ParseRatePage(dialog.ReadFileText(), currency.GetCode(), rate))
        return std::nullopt;
    return rate;
}

} // namespace kelvara
