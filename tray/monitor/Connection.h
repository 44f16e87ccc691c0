// The connection probe: one call of the Windows Internet library's InternetGetConnectedState,
// behind a seam, turned into a state code and the status text the tray shows. Nothing is
// cached: every caller gets a fresh probe.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

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

// Probes now and gives the state code.
std::int32_t GetConnectionState();
// Probes now (a probe of its own) and gives the status text of the result.
std::string ConnectionStatusText();

}  // namespace tw::tray
