#pragma once

// The reference-rate update of kelvara-cli as a loadable module (kelvara-fetch.so: the network,
// the document parser and the settings store, with Qt Core and Network), so that only
// `kelvara-cli rates --update` maps them. Plain C at the boundary: the module and the tool share
// nothing else.

#define KELVARA_RATES_MODULE "kelvara-fetch.so"
#define KELVARA_RATES_UPDATE_SYMBOL "kelvara_update_rates"
#define KELVARA_RATES_FREE_SYMBOL "kelvara_rates_free"

extern "C" {
// Fetches the reference-rate document at `url` under the download rules (redirects, size limit,
// `idleTimeoutMs`), reads it and stores every rate in the program's settings as the program does.
// 1 with a one-line account in `*report`; 0 with the message to show in `*error`, nothing stored.
// Both texts are freed with the free function.
using KelvaraUpdateRatesFunction = int (*)(const char* url, int idleTimeoutMs, char** report, char** error);
using KelvaraRatesFreeFunction = void (*)(char* memory);
}
