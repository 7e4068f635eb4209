#include "online/ratesupdate.h"

#include "catalogue/currencycategory.h"
#include "online/quietfetch.h"
#include "online/referencerates.h"
#include "online/webaccess.h"
#include "online/worldrates.h"
#include "online/xmlfile.h"
#include "platform/profilestore.h"
#include "platform/serviceaddress.h"
#include "text/formattext.h"
#include "text/strings.h"

#include <algorithm>
#include <cstdint>

namespace kelvara {

RatesUpdatePlan::RatesUpdatePlan(Options options, std::string today)
    : m_today(std::move(today)), m_request(options.request), m_wantEcb(options.ecb),
      m_wantWorld(options.world),
      m_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(options.budgetMs)),
      m_budgetMs(options.budgetMs), m_idleTimeoutMs(options.idleTimeoutMs)
{
    if (m_wantEcb)
        m_steps.push_back({Source::Ecb, ReferenceRatesAddress()});
    if (m_wantWorld)
        for (std::string& url : WorldRatesAddresses())
            m_steps.push_back({Source::World, std::move(url)});
}

int RatesUpdatePlan::TimeLeftMs() const
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline -
                                                                            std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

std::string RatesUpdatePlan::OutOfTime() const
{
    return FormatString(IDS_UPDATE_OUT_OF_TIME, {m_budgetMs / 1000});
}

bool RatesUpdatePlan::Next(std::string& url)
{
    if (m_next < m_steps.size() && TimeLeftMs() == 0) {
        // What is still to come gets nothing; a source already read keeps what it has.
        const std::string why = OutOfTime();
        for (; m_next < m_steps.size(); ++m_next) {
            const bool ecb = m_steps[m_next].source == Source::Ecb;
            if (!(ecb ? m_haveEcb : m_haveWorld))
                (ecb ? m_ecbError : m_worldError) = why;
        }
        return false;
    }
    while (m_next < m_steps.size()) {
        const Step& step = m_steps[m_next];
        if (step.source == Source::World && m_haveWorld) {
            // A world document of the last days is as new as another address would give.
            std::int64_t day = 0;
            std::int64_t today = 0;
            if (!ParseIsoDate(m_world.date, day) || !ParseIsoDate(m_today, today) ||
                today - day <= kWorldStaleDays) {
                ++m_next;
                continue;
            }
        }
        url = step.url;
        ++m_next;
        return true;
    }
    return false;
}

bool RatesUpdatePlan::StartNext(QuietFetch& fetch)
{
    std::string url;
    if (!Next(url))
        return false;
    fetch.SetSizeLimit(static_cast<qint64>(CXmlFile::kMaxSize));
    fetch.SetIdleTimeout(std::min(m_idleTimeoutMs, TimeLeftMs()));
    fetch.SetDeadline(std::min(QuietFetch::kDefaultDeadlineMs, TimeLeftMs()));
    fetch.Start(QUrl(QString::fromStdString(url)));
    return true;
}

void RatesUpdatePlan::Fetched(const QuietFetch& fetch)
{
    const QByteArray& body = fetch.Body();
    Fetched(fetch.IsOk(), std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
            fetch.Error().toStdString());
}

void RatesUpdatePlan::Fetched(bool ok, std::string_view body, const std::string& error)
{
    if (m_next == 0 || m_next > m_steps.size())
        return;
    const Source source = m_steps[m_next - 1].source;
    std::string& why = source == Source::Ecb ? m_ecbError : m_worldError;
    if (!ok) {
        // A transfer cut short by the budget says so, not by the time it happened to have left (its
        // own timer may fire a moment before the budget's end).
        why = TimeLeftMs() < kBudgetSlackMs ? OutOfTime()
                                            : LoadString(IDS_RETRIEVE_FAILED) + " (" + error + ")";
        return;
    }
    std::string reason;
    const WebAccess* web = GetWebAccess(&reason);
    if (source == Source::Ecb) {
        ReferenceRates rates;
        if (!web || !web->parseReferenceRates(body, m_today, rates, reason)) {
            why = reason;
            return;
        }
        m_ecb = RateDocument{kRateSourceEcb, rates.date, std::move(rates.rates), std::move(rates.texts)};
        m_haveEcb = true;
        m_ecbError.clear();
        return;
    }
    WorldRates rates;
    if (!web || !web->parseWorldRates(body, m_today, rates, reason)) {
        // A later address may still serve a good one; an earlier good one stays.
        if (!m_haveWorld)
            why = reason;
        return;
    }
    // Of two documents, the newer.
    if (m_haveWorld && rates.date <= m_world.date)
        return;
    m_world = RateDocument{kRateSourceWorld, rates.date, std::move(rates.rates), {}};
    m_haveWorld = true;
    m_worldError.clear();
}

RateUpdateResult RatesUpdatePlan::Store(CCurrencyCategory& currencies, ProfileStore& store)
{
    m_writeFailure = SettingsWriteFailure(store);
    RateUpdateResult result = StoreRateDocuments(m_haveEcb ? &m_ecb : nullptr, m_haveWorld ? &m_world : nullptr,
                                                 currencies, m_request, store);
    if (result.written) {
        const ProfileReads reads(store);
        currencies.ReloadStoredRates();
    }
    return result;
}

std::vector<std::string> RatesUpdatePlan::Report(const RateUpdateResult& result) const
{
    std::vector<std::string> lines;
    // The sources' names begin the lines, in words a script can look for ("ECB", "exchange-api").
    const auto line = [&](const std::string& name, bool wanted, bool have, const RateDocument& document,
                          const RateDocumentResult& stored, const std::string& error) {
        if (!wanted)
            return;
        if (have && (!result.written || stored.refused))
            lines.push_back(
                FormatString(IDS_RATES_REPORT_NOTHING_OF,
                             {name, document.date, result.written ? stored.why : m_writeFailure}));
        else if (have && stored.current)
            lines.push_back(FormatString(IDS_RATES_REPORT_CURRENT, {name, document.date}));
        else if (have)
            lines.push_back(
                FormatString(IDS_RATES_REPORT_STORED, {name, document.date, stored.stored, stored.kept}));
        else
            lines.push_back(FormatString(IDS_RATES_REPORT_NOTHING, {name, error}));
    };
    line(LoadString(IDS_RATES_ECB_REFERENCE), m_wantEcb, m_haveEcb, m_ecb, result.ecb, m_ecbError);
    line(kRateSourceWorld, m_wantWorld, m_haveWorld, m_world, result.world, m_worldError);
    return lines;
}

std::string RatesUpdatePlan::Failure(const RateUpdateResult& result) const
{
    if ((m_haveEcb || m_haveWorld) && !result.written)
        return m_writeFailure;
    if (m_wantEcb && !m_haveEcb)
        return FormatString(IDS_RATES_ECB_FAILED, {m_ecbError});
    if (m_haveEcb && result.ecb.refused)
        return FormatString(IDS_RATES_ECB_FAILED, {result.ecb.why});
    if (m_wantWorld && !m_haveWorld)
        return FormatString(IDS_RATES_WORLD_FAILED, {m_worldError});
    if (m_haveWorld && result.world.refused)
        return FormatString(IDS_RATES_WORLD_FAILED, {result.world.why});
    return {};
}

bool RatesUpdatePlan::Carries(const std::string& code) const
{
    const auto in = [&](bool have, const RateDocument& document) {
        return have && std::any_of(document.rates.begin(), document.rates.end(),
                                   [&](const auto& rate) { return rate.first == code; });
    };
    return in(m_haveEcb, m_ecb) || in(m_haveWorld, m_world);
}

} // namespace kelvara
