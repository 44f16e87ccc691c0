// The connection probe: one call of the Windows Internet library's InternetGetConnectedState,
// behind a seam, turned into a state code and the status text the tray shows. Nothing is
// cached: every caller gets a fresh probe.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "NetworkList.h"

namespace tw::tray {

// The platform call. Tests install a fake that gives any result and flags word.
class IConnectionProbe {
public:
    virtual ~IConnectionProbe() = default;
    // InternetGetConnectedState(&flags, 0): its result; `flags` gets the flags word.
    virtual bool GetConnectedState(DWORD& flags) = 0;
};

// The installed probe (by default the wininet one).
IConnectionProbe& ConnectionProbe();
// Installs a probe (nullptr restores the wininet one) and returns the previous one.
IConnectionProbe* SetConnectionProbe(IConnectionProbe* probe);

// Connection state codes; 0 is "not connected", every other code counts as connected.
constexpr std::int32_t kNotConnected = 0;
constexpr std::int32_t kConnectedModem = 1;
constexpr std::int32_t kConnectedLan = 2;
constexpr std::int32_t kConnectedProxy = 4;
constexpr std::int32_t kConnectedModemBusy = 8;

// The state code of one flags word, given the call's result: a failed call is 0; the modem
// bit wins (8 with the busy bit, else 1), then LAN (2), then proxy (4); nothing else
// counts, the busy bit alone and the bits 0x10 and above included.
std::int32_t ConnectionStateOf(bool connected, DWORD flags);
// The status text of a code ("Connection Error" for a code the probe never gives).
std::string StatusTextOf(std::int32_t code);

// Why a connection that InternetGetConnectedState reports is held back as not connected,
// with the options NeedInternet and MeteredOffline (none when both are off).
enum class ConnectionHold { None, NoInternet, SignIn, Metered };

// What the Network List Manager's answer holds back: a sign-in page, then no IPv4 or IPv6
// Internet connectivity (with `needInternet`), then a cost that is variable, fixed, over its
// data limit, congested or roaming (with `meteredOffline`). A part the manager could not
// answer holds nothing back.
ConnectionHold HoldOf(const NetworkAnswer& answer, bool needInternet, bool meteredOffline);

// One probe: the state code, and why it is 0 when the options held a connection back.
struct ConnectionProbeResult {
    std::int32_t code = kNotConnected;
    ConnectionHold hold = ConnectionHold::None;
};
// Probes now: InternetGetConnectedState, and, only when it reports a connection and
// NeedInternet or MeteredOffline is on, the Network List Manager (a fresh question each
// time).
ConnectionProbeResult ProbeConnection();
// The status text of a probe: that of its code, or for a held-back connection
// "Not Connected: No Internet Access", "Not Connected: Sign-in Required" or
// "Not Connected: Metered Connection".
std::string StatusTextOf(const ConnectionProbeResult& probe);

// Probes now (ProbeConnection) and gives the state code.
std::int32_t GetConnectionState();
// Probes now (a probe of its own) and gives the status text of the result.
std::string ConnectionStatusText();

}  // namespace tw::tray
