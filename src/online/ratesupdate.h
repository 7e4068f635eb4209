#pragma once

#include "catalogue/currencyrates.h"
#include "online/quietfetch.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

class CCurrencyCategory;

namespace kelvara {

class ProfileStore;

// One update of the currency rates, whoever runs it (the Rate button, the tray's entry, the updates
// in the background, kelvara-cli): which documents to fetch in which order, reading them, and
// storing them through StoreRateDocuments. The caller only fetches: it asks Next for an address,
// fetches it and hands over the answer, until Next says the fetching is done.
class RatesUpdatePlan {
public:
    struct Options {
        bool ecb = true;   // fetch the ECB's reference rates
        bool world = true; // fetch the world rates
        RateRequest request = RateRequest::User;
        // One time budget for the whole update, every source and address together: with the
        // transfers' own limits one after the other an update could take minutes.
        int budgetMs = kUpdateBudgetMs;
        // The longest a transfer may wait for the server to send something.
        int idleTimeoutMs = QuietFetch::kDefaultIdleTimeoutMs;
    };
    static constexpr int kUpdateBudgetMs = 60000;
    static constexpr int kBudgetSlackMs = 50;
    // A world document older than this (in days before today) makes the next address worth a try.
    static constexpr int kWorldStaleDays = 2;

    RatesUpdatePlan(Options options, std::string today);

    // The next address to fetch; false when there is nothing more to fetch, or no time left for it
    // (the sources not fetched then say so).
    bool Next(std::string& url);
    // Starts `fetch` on the next address, within the documents' size limit, the idle time-out and
    // what is left of the budget; false as Next.
    bool StartNext(QuietFetch& fetch);
    // What is left of the budget: the longest the next transfer may take.
    int TimeLeftMs() const;
    // The answer to the address Next gave last: the body, or the transfer's failure in words.
    void Fetched(bool ok, std::string_view body, const std::string& error);
    void Fetched(const QuietFetch& fetch);

    // Stores what arrived, as one write of `store`, and makes the category take the new rates.
    RateUpdateResult Store(CCurrencyCategory& currencies, ProfileStore& store);
    // One line for each source fetched: its day and what was stored, or why nothing was.
    std::vector<std::string> Report(const RateUpdateResult& result) const;
    // The first reason nothing of a source was stored; empty when every source fetched was.
    std::string Failure(const RateUpdateResult& result) const;
    // Whether either document that arrived gives a rate for `code`.
    bool Carries(const std::string& code) const;

private:
    enum class Source { Ecb, World };
    std::string OutOfTime() const;
    struct Step {
        Source source;
        std::string url;
    };

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::string m_today;
    RateRequest m_request;
    bool m_wantEcb;
    bool m_wantWorld;
    bool m_haveEcb = false;
    bool m_haveWorld = false;
    RateDocument m_ecb;
    RateDocument m_world;
    std::string m_ecbError;
    std::string m_worldError;
    std::string m_writeFailure; // what to say if the store refuses the write
    std::chrono::steady_clock::time_point m_deadline;
    int m_budgetMs;
    int m_idleTimeoutMs;
};

} // namespace kelvara
