// Reading the world-rate document: beside the XML readers, in the parts that fetch documents.
#include "online/worldrates.h"

#include "catalogue/currency.h"
#include "text/formattext.h"
#include "text/outsidetext.h"
#include "text/strings.h"
#include "text/textcase.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <unordered_set>

namespace kelvara {

namespace {

// A currency's key: three letters. The document's other keys (crypto tokens) are skipped unread.
bool IsCurrency(std::string_view key)
{
    if (key.size() != 3)
        return false;
    for (const char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

// Walks the document once, keeping only what it needs: no tree is built.
class Reader : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit Reader(WorldRates& rates) : m_rates(rates) {}

    bool null() override { return Value(IDS_DOC_RATE_NULL); }
    bool boolean(bool) override { return Value(IDS_DOC_RATE_TRUTH_VALUE); }
    bool number_integer(number_integer_t value) override { return Number(static_cast<double>(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Number(static_cast<double>(value)); }
    bool number_float(number_float_t value, const string_t&) override { return Number(value); }
    bool string(string_t& value) override
    {
        if (m_depth == 1 && m_key == "date") {
            m_rates.date = value;
            m_hasDate = true;
            return true;
        }
        return Value(IDS_DOC_RATE_TEXT);
    }
    bool binary(binary_t&) override { return Value(IDS_DOC_RATE_BINARY); }

    bool start_object(std::size_t) override
    {
        if (!Enter())
            return false;
        if (m_depth == 2 && m_path == Path::TopKey && m_key == "eur") {
            m_inEuro = true;
            m_hasEuro = true;
        } else if (m_depth == 1) {
            m_topIsObject = true;
        } else if (m_inEuro && m_depth == 3 && IsCurrency(m_key)) {
            return Fail(FormatString(IDS_DOC_RATE_NOT_NUMBER, {AsciiUppered(m_key)}));
        }
        m_path = Path::None;
        return true;
    }
    bool end_object() override
    {
        if (m_depth == 2 && m_inEuro)
            m_inEuro = false;
        --m_depth;
        return true;
    }
    bool start_array(std::size_t) override
    {
        if (!Enter())
            return false;
        if (m_depth == 1)
            return Fail(FormatString(IDS_DOC_NOT_OBJECT));
        if (m_inEuro && m_depth == 3 && IsCurrency(m_key))
            return Fail(FormatString(IDS_DOC_RATE_NOT_NUMBER, {AsciiUppered(m_key)}));
        m_path = Path::None;
        return true;
    }
    bool end_array() override
    {
        --m_depth;
        return true;
    }
    bool key(string_t& key) override
    {
        m_key.assign(key);
        m_path = m_depth == 1 ? Path::TopKey : Path::None;
        if (m_depth == 1 && !m_topKeys.insert(key).second)
            return Fail(FormatString(IDS_DOC_KEY_REPEATED, {OutsideText(key)}));
        // Codes are stored upper-cased, so "afn" and "AFN" name one currency.
        if (m_depth == 2 && m_inEuro && !m_euroKeys.insert(IsCurrency(key) ? AsciiUppered(key) : key).second)
            return Fail(FormatString(IDS_DOC_RATE_REPEATED, {OutsideText(AsciiUppered(key))}));
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override
    {
        if (m_why.empty())
            m_why = FormatString(IDS_DOC_NOT_JSON_AT, {position});
        return false;
    }

    const std::string& Why() const { return m_why; }
    bool TopIsObject() const { return m_topIsObject; }
    bool HasDate() const { return m_hasDate; }
    bool HasEuro() const { return m_hasEuro; }

private:
    enum class Path { None, TopKey };

    bool Enter()
    {
        if (++m_depth > kMaxWorldDepth)
            return Fail(FormatString(IDS_DOC_TOO_DEEP));
        return true;
    }
    bool Fail(std::string why)
    {
        m_why = std::move(why);
        return false;
    }
    // `notNumber`: the message for a rate of this kind.
    bool Value(unsigned notNumber)
    {
        if (m_depth == 0)
            return Fail(FormatString(IDS_DOC_NOT_OBJECT));
        if (m_depth == 1 && m_key == "date")
            return Fail(FormatString(IDS_DOC_DATE_NOT_TEXT));
        if (m_inEuro && m_depth == 2 && IsCurrency(m_key))
            return Fail(FormatString(notNumber, {AsciiUppered(m_key)}));
        return true;
    }
    bool Number(double value)
    {
        if (m_depth == 0)
            return Fail(FormatString(IDS_DOC_NOT_OBJECT));
        if (m_depth == 1 && m_key == "date")
            return Fail(FormatString(IDS_DOC_DATE_NOT_TEXT));
        if (!m_inEuro || m_depth != 2)
            return true;
        // Only currencies (three letters) are read; the tokens beside them are none of ours.
        if (!IsCurrency(m_key))
            return true;
        if (!(value > 0) || !std::isfinite(value))
            return Fail(FormatString(IDS_DOC_RATE_NOT_POSITIVE, {AsciiUppered(m_key)}));
        if (m_rates.rates.size() >= kMaxWorldRates)
            return Fail(FormatString(IDS_DOC_TOO_MANY_RATES));
        m_rates.rates.emplace_back(AsciiUppered(m_key), value);
        return true;
    }

    WorldRates& m_rates;
    std::string m_why;
    std::string m_key;
    std::unordered_set<std::string> m_topKeys;
    std::unordered_set<std::string> m_euroKeys;
    std::size_t m_depth = 0;
    Path m_path = Path::None;
    bool m_inEuro = false;
    bool m_topIsObject = false;
    bool m_hasDate = false;
    bool m_hasEuro = false;
};

} // namespace

bool ParseWorldRates(std::string_view document, const std::string& today, WorldRates& rates, std::string& why)
{
    rates = {};
    if (document.size() > kMaxWorldRatesSize) {
        why = FormatString(IDS_DOC_LARGER_THAN_MB, {kMaxWorldRatesSize / (1024 * 1024)});
        return false;
    }
    WorldRates read;
    Reader reader(read);
    bool ok = false;
    try {
        ok = nlohmann::json::sax_parse(document.begin(), document.end(), &reader);
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok) {
        why = reader.Why().empty() ? FormatString(IDS_DOC_NOT_JSON) : reader.Why();
        return false;
    }
    if (!reader.TopIsObject()) {
        why = FormatString(IDS_DOC_NOT_OBJECT);
        return false;
    }
    if (!reader.HasDate()) {
        why = FormatString(IDS_DOC_NO_DATE);
        return false;
    }
    if (!reader.HasEuro()) {
        why = FormatString(IDS_DOC_NO_EURO_RATES);
        return false;
    }
    std::int64_t day = 0;
    std::int64_t now = 0;
    if (!ParseIsoDate(read.date, day)) {
        why = FormatString(IDS_DOC_DATE_NOT_DATE_QUOTED, {OutsideText(read.date)});
        return false;
    }
    if (ParseIsoDate(today, now) && day > now + 1) {
        why = FormatString(IDS_DOC_DATE_OF_DOCUMENT_IN_FUTURE, {read.date});
        return false;
    }
    if (read.rates.empty()) {
        why = FormatString(IDS_DOC_NO_EURO_RATES);
        return false;
    }
    rates = std::move(read);
    return true;
}

} // namespace kelvara
