#pragma once

#include "catalogue/currency.h"
#include "platform/clock.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CCurrencyCategory;

namespace kelvara {

class ProfileStore;

// A currency that another one replaced (or a local issue at par with one) follows it for good: one
// unit of `successor` is `factor` units of `code`. Such a row never takes a rate of its own, from a
// document or from the user.
struct CurrencyLink {
    std::string_view code;
    std::string_view successor;
    double factor;
};
// The link of `code`; null when the code stands on its own.
const CurrencyLink* FindCurrencyLink(std::string_view code);
const std::vector<CurrencyLink>& CurrencyLinks();

// A document of euro rates: where it comes from (kRateSourceEcb, kRateSourceWorld), the day it is
// of (YYYY-MM-DD) and, per code, units of it per one euro. `texts`, when given beside the rates, are
// the rates as the document wrote them (kept as they are when plain decimals).
struct RateDocument {
    std::string source;
    std::string date;
    std::vector<std::pair<std::string, double>> rates;
    std::vector<std::string> texts;
};

// What storing one document did.
struct RateDocumentResult {
    bool given = false;   // a document of this source was part of the update
    bool refused = false; // nothing of it was taken; `why` says why
    bool current = false; // of the day already stored, and nothing in it was news
    std::string why;
    int stored = 0; // codes whose rate it set
    int kept = 0;   // codes that kept a typed, newer or preferred rate
};

// Who asked: a rate stored without a date (typed before dates were kept) gives way only when the
// user asks for rates, never to an update in the background.
enum class RateRequest { Background, User };

// The ECB's rate of a code is used while its day is at most this many days older than the world
// document's: the ECB publishes on working days only, the world document every day.
inline constexpr int kEcbPreferenceDays = 4;
// On every code both publish, the world document must agree with the stored ECB rate this closely
// (a share of the ECB's rate), when that rate is at most kCrossCheckDays older than the document;
// else the whole world document is refused.
inline constexpr double kCrossCheckTolerance = 0.03;
inline constexpr int kCrossCheckDays = 7;

struct RateUpdateResult {
    RateDocumentResult ecb;
    RateDocumentResult world;
    bool written = true; // false: the store refused the write and holds what it held before
};

// Stores the documents of one update for the category's currencies, as one write of the store:
// the ECB's first, then the world document, checked against the ECB's rates. Rules, per code:
//  - a document that gives the euro a rate other than 1, or a code it takes a rate no currency can
//    have (kMinPlausibleRate to kMaxPlausibleRate), is refused whole;
//  - the built-in rates count as rates of their day; a document that took nothing and is older than
//    the last one of its kind stored (or the built-in rates) is refused as stale, one of that very
//    day is current;
//  - fixed and linked rows take nothing; a code without a floating row is ignored;
//  - a typed rate stands until a document of a later day; a rate of unknown date stands unless the
//    user asked (`request`);
//  - the ECB's rate wins over another source's unless that one is more than kEcbPreferenceDays
//    newer; otherwise a document never replaces a rate of a later day.
// Either document may be null. The caller reloads the category's rates afterwards.
RateUpdateResult StoreRateDocuments(const RateDocument* ecb, const RateDocument* world,
                                    const CCurrencyCategory& currencies, RateRequest request,
                                    ProfileStore& store);

// A rate the user typed, or fetched for one currency from the rate service: checked (a positive
// finite number, a text of at most kMaxRateTextLength characters, a code with a row that takes
// rates), stored with today's date as one write, and taken at once by every row of the code and
// the rows that follow it.
enum class UserRateResult { Stored, Invalid, WriteFailed };
UserRateResult StoreUserRate(CCurrencyCategory& currencies, const std::string& code, const std::string& text,
                             const std::string& source, ProfileStore& store);

// A rate as it is stored, whatever gave it (a document, the rate service): the shortest text that
// reads back as the same number, so no digit is lost (a service's 0.0000123 is not 0.000012).
std::string RateText(double rate);

// The ECB publishes on working days at about 16:00 Central European time. The day (since
// 1970-01-01) of the last document that should be out at universal time `now`: the latest Monday
// to Friday whose 15:00 UTC has passed (an hour late in summer; holidays bring no document, which
// costs one request).
std::int64_t LastPublicationDay(UtcTicks now);

// Which documents are worth fetching at universal time `now`, by the days of the last ones `store`
// holds (kReferenceRatesDateEntry, kWorldRatesDateEntry): the ECB's while its day is older than the
// last publication, the world document while its day is older than today (it comes out every day).
// A day not stored, or not a day, is due.
struct DueRates {
    bool ecb = false;
    bool world = false;
};
DueRates RatesDue(const ProfileStore& store, UtcTicks now);

} // namespace kelvara
