#pragma once

#include <optional>

class CCurrency;
class QWidget;

namespace kelvara {

// Fetches the current rate of `currency` (units per one euro) from the rate service behind the
// download dialog, for the conversion page's Rate button (CConversionPage::SetRateFetcher).
// Nothing without asking anything for a fixed currency, and nothing when the transfer failed
// (already reported), was cancelled, or the page lacks the markers (silent). A page that has them
// gives whatever number they hold, 0 for none; the caller judges it.
std::optional<double> FetchRate(QWidget* parent, const CCurrency& currency);

} // namespace kelvara
