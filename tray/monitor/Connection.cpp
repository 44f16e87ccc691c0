// GetConnectionState and ConnectionStatusText over the installed IConnectionProbe.
#include "Connection.h"

#include <wininet.h>

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

std::int32_t GetConnectionState() {
    DWORD flags = 0;
    bool connected = ConnectionProbe().GetConnectedState(flags);
    return ConnectionStateOf(connected, flags);
}

std::string ConnectionStatusText() { return StatusTextOf(GetConnectionState()); }

}  // namespace tw::tray
