// The Network List Manager through COM: CoCreateInstance fails with REGDB_E_CLASSNOTREG on
// systems before Vista, and the probe then goes on as if it had not asked.
#include "NetworkList.h"

#include <netlistmgr.h>
#include <ocidl.h>

#include <initializer_list>

#include "Com.h"

namespace tw {
namespace {

// NLM_INTERNET_CONNECTIVITY_WEBHIJACK: the network's web traffic is sent to a sign-in page.
constexpr DWORD kWebHijack = 0x1;

// The network's NA_InternetConnectivityV4 and V6 properties (an NLM_INTERNET_CONNECTIVITY
// word each, in the property bag the network object carries) hold the sign-in bit.
bool BehindSignInPage(INetwork* network) {
    ComPtr<IPropertyBag> properties;
    if (FAILED(network->QueryInterface(IID_IPropertyBag, properties.Out())) || !properties) return false;
    for (const wchar_t* name : {L"NA_InternetConnectivityV4", L"NA_InternetConnectivityV6"}) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(properties->Read(name, &value, nullptr))) {
            const bool word = value.vt == VT_UI4 || value.vt == VT_UINT || value.vt == VT_I4 || value.vt == VT_INT;
            const bool hijacked = word && (value.ulVal & kWebHijack);
            VariantClear(&value);
            if (hijacked) return true;
        }
    }
    return false;
}

bool AnyConnectedNetworkBehindSignInPage(INetworkListManager* manager) {
    ComPtr<IEnumNetworks> networks;
    if (FAILED(manager->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, networks.GetAddressOf())) || !networks)
        return false;
    for (;;) {
        ComPtr<INetwork> network;
        ULONG fetched = 0;
        if (networks->Next(1, network.GetAddressOf(), &fetched) != S_OK || fetched != 1 || !network) return false;
        if (BehindSignInPage(network.Get())) return true;
    }
}

class SystemNetworkList final : public INetworkList {
public:
    NetworkAnswer Ask(bool connectivity, bool cost) override {
        ComPtr<INetworkListManager> manager;
        if (FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                                    manager.Out())) ||
            !manager)
            return NetworkAnswer();
        return AskNetworkListManager(manager.Get(), connectivity, cost);
    }
};

SystemNetworkList g_systemNetworkList;
INetworkList* g_networkList = &g_systemNetworkList;

}  // namespace

NetworkAnswer AskNetworkListManager(INetworkListManager* manager, bool connectivity, bool cost) {
    NetworkAnswer answer;
    if (connectivity) {
        NLM_CONNECTIVITY bits = NLM_CONNECTIVITY_DISCONNECTED;
        if (SUCCEEDED(manager->GetConnectivity(&bits))) {
            answer.hasConnectivity = true;
            answer.connectivity = static_cast<DWORD>(bits);
            answer.signIn = AnyConnectedNetworkBehindSignInPage(manager);
        }
    }
    if (cost) {
        // Windows 8 and later: the cost manager is another face of the same object.
        ComPtr<INetworkCostManager> costs;
        DWORD value = 0;
        if (SUCCEEDED(manager->QueryInterface(IID_INetworkCostManager, costs.Out())) && costs &&
            SUCCEEDED(costs->GetCost(&value, nullptr))) {
            answer.hasCost = true;
            answer.cost = value;
        }
    }
    return answer;
}

INetworkList& NetworkList() { return *g_networkList; }

INetworkList* SetNetworkList(INetworkList* list) {
    INetworkList* previous = g_networkList;
    g_networkList = list ? list : &g_systemNetworkList;
    return previous;
}

}  // namespace tw
