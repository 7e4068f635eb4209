#pragma once

#include <optional>

class CCurrency;
class QWidget;

// Fetches the current rate of `currency` (units per one euro) from the rate service behind the
// download dialog. False without asking anything for a fixed currency, and false when the
// transfer failed (already reported), was cancelled, or the page lacks the markers (silent). A
// page that has them gives true with whatever number they hold, 0 for none; the caller judges it.
bool RetrieveRate(QWidget* parent, const CCurrency& currency, double& rate);

namespace kelvara {

// RetrieveRate in the form the conversion page's Rate button takes it
// (CConversionPage::SetRateFetcher): the rate, or nothing.
std::optional<double> FetchRate(QWidget* parent, const CCurrency& currency);

} // namespace kelvara
