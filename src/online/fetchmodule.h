#pragma once

// The network helper of kelvara-cli: a loadable module (Qt Core and Network) that only
// `kelvara-cli rates --update` loads, so that no other command brings in the network library.
// Plain C at the boundary: the module and the tool share nothing else.

#define KELVARA_FETCH_MODULE "kelvara-fetch.so"
#define KELVARA_FETCH_SYMBOL "kelvara_fetch"
#define KELVARA_FETCH_FREE_SYMBOL "kelvara_fetch_free"

extern "C" {
// Fetches `url` (http or https) under the download rules (redirects, size limit, idle time-out).
// 1 with the body in `*data` (`*size` bytes), 0 with a text in `*error`; both are freed with
// the free function.
using KelvaraFetchFunction = int (*)(const char* url, long long sizeLimit, int idleTimeoutMs, char** data,
                                     unsigned long long* size, char** error);
using KelvaraFetchFreeFunction = void (*)(char* memory);
}
