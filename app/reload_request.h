// The request that lets Privoxy handle a request right after its
// configuration file changed.
#pragma once

// One HEAD request to Privoxy's own host name "p.p", sent from a thread of its
// own: nothing about it is looked at, and a proxy that takes the connection
// and never answers must not hold the icon for the request's time-out.
void SendReloadRequest();
