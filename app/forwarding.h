// The forwarding state in Privoxy's configuration file (named by
// ConfigFileName; its VirtualStore copy when Privoxy reads that), read and
// switched.
#pragma once

#include "app/privoxy_status.h"

#include <optional>
#include <vector>

// Where the configuration file has Privoxy listen; nothing when it cannot be read.
using ListeningIn = std::optional<std::vector<privoxy_status::ListenAddress>>;

// True when a forward directive is in force in the configuration file; a file
// that cannot be read counts as off and is reported, unless read quietly (a
// file being replaced is gone for a moment). The same read tells, when asked,
// where the file has Privoxy listen.
bool IsForwardingOn(bool quietly = false, ListeningIn* listening = nullptr);
// Rewrites the configuration file for the wanted state, keeping a ".BAK" copy
// of what it held, and lets Privoxy handle a request right after. Each failing
// step is reported; the caller reads the state again to learn the outcome.
void SetForwarding(bool enable);

// Deletes what a switch that a crash ended left beside the configuration
// file in use: its temporary files, nothing else.
void RemoveSwitchLeftovers();
