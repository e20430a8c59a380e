// A look at the chain a page takes as it really runs: the Privoxy that the
// configuration file names, asked what it loaded, and Tor.
#pragma once

#include "app/chain_warning.h"
#include "app/privoxy_status.h"

#include <windows.h>

#include <memory>
#include <vector>

// Asks the Privoxy at the first of `addresses` that takes a connection for
// its status page, straight, never through the system proxy, giving up after
// 2 s; then, when `lookForTor`, whether something takes connections on
// 127.0.0.1:9050, else on Tor Browser's 127.0.0.1:9150. Runs on a thread of
// its own and posts `message` to `window` with `serial` as wParam and the
// findings as lParam, for TakeChainFindings. No address: nothing to ask.
void CheckChain(HWND window, UINT message, WPARAM serial, std::vector<privoxy_status::ListenAddress> addresses,
                bool lookForTor);

// The findings a message of CheckChain carries; the receiver owns them.
std::unique_ptr<ChainFindings> TakeChainFindings(LPARAM lParam);
