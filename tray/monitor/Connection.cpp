// GetConnectionState and ConnectionStatusText over the installed IConnectionProbe.
#include "Connection.h"

#include <wininet.h>

#include "startup/RegSet.h"

namespace tw::tray {
namespace {

class WinInetProbe final : public IConnectionProbe {
public:
    bool GetConnectedState(DWORD& flags) override {
        flags = 0;
        return InternetGetConnectedState(&flags, 0) != FALSE;
    }
};

WinInetProbe g_winInetProbe;
IConnectionProbe* g_probe = &g_winInetProbe;

}  // namespace

IConnectionProbe& ConnectionProbe() { return *g_probe; }

IConnectionProbe* SetConnectionProbe(IConnectionProbe* probe) {
    IConnectionProbe* previous = g_probe;
    g_probe = probe ? probe : &g_winInetProbe;
    return previous;
}

std::int32_t ConnectionStateOf(bool connected, DWORD flags) {
    if (!connected) return kNotConnected;
    const DWORD low = flags & 0xFF;
    if (low & INTERNET_CONNECTION_MODEM)
        return (low & INTERNET_CONNECTION_MODEM_BUSY) ? kConnectedModemBusy : kConnectedModem;
    if (low & INTERNET_CONNECTION_LAN) return kConnectedLan;
    if (low & INTERNET_CONNECTION_PROXY) return kConnectedProxy;
    return kNotConnected;
}

std::string StatusTextOf(std::int32_t code) {
    switch (code) {
    case kNotConnected: return "Not Connected";
    case kConnectedModem: return "Connected: Modem";
    case kConnectedLan: return "Connected: LAN";
    case kConnectedProxy: return "Connected: Proxy Server";
    case kConnectedModemBusy: return "Connected: Modem (Busy)";
    default: return "Connection Error";
    }
}

ConnectionHold HoldOf(const NetworkAnswer& answer, bool needInternet, bool meteredOffline) {
    if (needInternet && answer.hasConnectivity) {
        if (answer.signIn) return ConnectionHold::SignIn;
        if (!(answer.connectivity & (kNlmIpv4Internet | kNlmIpv6Internet))) return ConnectionHold::NoInternet;
    }
    const DWORD metered = kNlmCostFixed | kNlmCostVariable | kNlmCostOverDataLimit | kNlmCostCongested | kNlmCostRoaming;
    if (meteredOffline && answer.hasCost && (answer.cost & metered)) return ConnectionHold::Metered;
    return ConnectionHold::None;
}

ConnectionProbeResult ProbeConnection() {
    ConnectionProbeResult probe;
    DWORD flags = 0;
    bool connected = ConnectionProbe().GetConnectedState(flags);
    probe.code = ConnectionStateOf(connected, flags);
    // The idle tick costs what it always did: the manager is asked only while an option
    // wants it and only about a connection the first call saw.
    if (probe.code == kNotConnected || !(NeedInternet || MeteredOffline)) return probe;
    probe.hold = HoldOf(NetworkList().Ask(NeedInternet, MeteredOffline), NeedInternet, MeteredOffline);
    if (probe.hold != ConnectionHold::None) probe.code = kNotConnected;
    return probe;
}

std::string StatusTextOf(const ConnectionProbeResult& probe) {
    switch (probe.hold) {
    case ConnectionHold::NoInternet: return "Not Connected: No Internet Access";
    case ConnectionHold::SignIn: return "Not Connected: Sign-in Required";
    case ConnectionHold::Metered: return "Not Connected: Metered Connection";
    case ConnectionHold::None: break;
    }
    return StatusTextOf(probe.code);
}

std::int32_t GetConnectionState() { return ProbeConnection().code; }

std::string ConnectionStatusText() { return StatusTextOf(GetConnectionState()); }

}  // namespace tw::tray
