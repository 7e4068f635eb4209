#pragma once

class CCurrency;
class QWidget;

// Fetches the current rate of `currency` (units per one euro) from the rate service behind the
// download dialog. False without asking anything for a fixed currency, and false when the
// transfer failed (already reported), was cancelled, or the page lacks the markers (silent).
bool RetrieveRate(QWidget* parent, const CCurrency& currency, double& rate);

namespace kelvara {

// The Rate button with an empty source-value field: fetches the rate and applies it as
// ApplyRate does, stored as "%f" (six decimals). True when the rate changed; the caller then
// rebuilds its rate line and clears its value fields, as for a typed rate.
bool FetchRate(QWidget* parent, CCurrency& currency);

} // namespace kelvara
