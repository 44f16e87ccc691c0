// The Network List Manager (Vista and later) behind a seam: whether the machine reaches the
// Internet, whether a connected network sits behind a sign-in page, and what the connection
// costs. Each question makes a fresh manager object: an object kept from an earlier moment
// may go on answering what it saw then. Tests install a stand-in.
#pragma once
#include <windows.h>

struct INetworkListManager;  // netlistmgr.h

namespace tw {

// The connectivity bits the probe reads (NLM_CONNECTIVITY).
constexpr DWORD kNlmIpv4Internet = 0x40;
constexpr DWORD kNlmIpv6Internet = 0x400;
// The cost bits (NLM_CONNECTION_COST).
constexpr DWORD kNlmCostUnrestricted = 0x1;
constexpr DWORD kNlmCostFixed = 0x2;
constexpr DWORD kNlmCostVariable = 0x4;
constexpr DWORD kNlmCostOverDataLimit = 0x10000;
constexpr DWORD kNlmCostCongested = 0x20000;
constexpr DWORD kNlmCostRoaming = 0x40000;

// What one question got. A part not asked for, or that the system could not answer (no
// manager, no cost manager, a failing call), has its `has...` false.
struct NetworkAnswer {
    bool hasConnectivity = false;
    DWORD connectivity = 0;  // NLM_CONNECTIVITY bits
    bool signIn = false;     // a connected network reports NLM_INTERNET_CONNECTIVITY_WEBHIJACK
    bool hasCost = false;
    DWORD cost = 0;          // NLM_CONNECTION_COST bits
};

class INetworkList {
public:
    virtual ~INetworkList() = default;
    // Asks the system now: the connectivity and sign-in page when `connectivity`, the cost
    // when `cost`.
    virtual NetworkAnswer Ask(bool connectivity, bool cost) = 0;
};

// What Ask puts to one manager object: GetConnectivity, the NA_InternetConnectivityV4/V6
// properties of each connected network for the sign-in page, and the cost through its
// INetworkCostManager face. A call that fails leaves its part unanswered.
NetworkAnswer AskNetworkListManager(INetworkListManager* manager, bool connectivity, bool cost);

// The installed one (by default the system's, through COM; the thread has COM set up).
INetworkList& NetworkList();
// Installs one (nullptr restores the system's) and returns the previous one.
INetworkList* SetNetworkList(INetworkList* list);

}  // namespace tw
