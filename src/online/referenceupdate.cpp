#include "online/referenceupdate.h"

#include "catalogue/currencycategory.h"
#include "online/downloaddlg.h"
#include "online/quietfetch.h"
#include "online/referencerates.h"
#include "online/webaccess.h"
#include "platform/messages.h"
#include "platform/serviceaddress.h"
#include "text/strings.h"

namespace kelvara {

bool UpdateReferenceRates(QWidget* parent, CCurrencyCategory& currencies)
{
    CDownloadDlg dialog(parent);
    dialog.SetOperation(LoadString(IDS_RETRIEVING_RATES));
    dialog.SetUrl(ReferenceRatesAddress());
    if (dialog.exec() != 1)
        return false;
    ReferenceRates rates;
    std::string why;
    if (!ParseFetchedReferenceRates(dialog.ReadFileText(), TodayIsoDate(), rates, why)) {
        ShowMessage(IDS_RATES_UNREADABLE, MB_OK | MB_ICONEXCLAMATION, why);
        return false;
    }
    StoreReferenceRates(rates, currencies);
    currencies.ReloadStoredRates();
    return true;
}

ReferenceRatesFetch::ReferenceRatesFetch(std::function<CCurrencyCategory*()> currencies, QObject* parent)
    : QObject(parent), m_currencies(std::move(currencies)), m_fetch(new QuietFetch(this))
{
    connect(m_fetch, &QuietFetch::Finished, this, &ReferenceRatesFetch::OnFinished);
}

ReferenceRatesFetch::~ReferenceRatesFetch() = default;

bool ReferenceRatesFetch::Start()
{
    if (m_running)
        return false;
    m_running = true;
    m_error.clear();
    m_fetch->Start(QUrl(QString::fromStdString(ReferenceRatesAddress())));
    return true;
}

void ReferenceRatesFetch::OnFinished(bool ok)
{
    m_running = false;
    if (!ok) {
        m_error = m_fetch->Error().toStdString();
        emit Done(false);
        return;
    }
    const QByteArray& body = m_fetch->Body();
    ReferenceRates rates;
    CCurrencyCategory* currencies = m_currencies ? m_currencies() : nullptr;
    if (!ParseFetchedReferenceRates(std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                                    TodayIsoDate(), rates, m_error)) {
        emit Done(false);
        return;
    }
    if (!currencies) {
        m_error = "the currency data is not available";
        emit Done(false);
        return;
    }
    StoreReferenceRates(rates, *currencies);
    currencies->ReloadStoredRates();
    emit Done(true);
}

} // namespace kelvara
