#pragma once

// The reference-rate update of kelvara-cli as a loadable module (kelvara-fetch.so: the network,
// the document parser and the settings store, with Qt Core and Network), so that only
// `kelvara-cli rates --update` maps them. Plain C at the boundary: the module and the tool share
// nothing else.

#define KELVARA_RATES_MODULE "kelvara-fetch.so"
#define KELVARA_RATES_UPDATE_SYMBOL "kelvara_update_all_rates"
#define KELVARA_RATES_FREE_SYMBOL "kelvara_rates_free"

extern "C" {
// Fetches the ECB's reference rates and the world rates from the addresses the settings give, under
// the download rules (redirects, size limit, `idleTimeoutMs`), reads them and stores them in the
// program's settings by the catalogue's rules (the window's update stores through the same code). `*report`
// gets one line per source: what was stored, or why nothing was; `*error` a message when nothing could be
// attempted. 1 when both sources were stored, else 0 (what was stored stays stored). Both texts are freed
// with the free function.
using KelvaraUpdateRatesFunction = int (*)(int idleTimeoutMs, char** report, char** error);
using KelvaraRatesFreeFunction = void (*)(char* memory);
}
