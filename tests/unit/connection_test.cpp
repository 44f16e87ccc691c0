// The connection probe: the flags word and result of InternetGetConnectedState turned into
// a state code and a status text, with the tie-breaks modem > LAN > proxy.
#include <windows.h>
#include <netlistmgr.h>
#include <ocidl.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayFakes.h"
#include "monitor/Connection.h"
#include "startup/RegSet.h"

namespace {

using tw::test::FakeConnectionProbe;
using tw::test::FakeNetworkList;
using tw::NetworkAnswer;
using namespace tw::tray;

struct FlagCase {
    DWORD flags;  // the low four bits: modem 1, LAN 2, proxy 4, modem busy 8
    std::int32_t code;
    const char* text;
};

// Every combination of the four bits that decide.
const FlagCase kFlagTable[] = {
    {0x0, 0, "Not Connected"},
    {0x1, 1, "Connected: Modem"},
    {0x2, 2, "Connected: LAN"},
    {0x3, 1, "Connected: Modem"},
    {0x4, 4, "Connected: Proxy Server"},
    {0x5, 1, "Connected: Modem"},
    {0x6, 2, "Connected: LAN"},
    {0x7, 1, "Connected: Modem"},
    {0x8, 0, "Not Connected"},
    {0x9, 8, "Connected: Modem (Busy)"},
    {0xA, 2, "Connected: LAN"},
    {0xB, 8, "Connected: Modem (Busy)"},
    {0xC, 4, "Connected: Proxy Server"},
    {0xD, 8, "Connected: Modem (Busy)"},
    {0xE, 2, "Connected: LAN"},
    {0xF, 8, "Connected: Modem (Busy)"},
};

// Bits that must not change the answer: RAS installed 0x10, offline 0x20, configured 0x40,
// and anything higher.
const DWORD kIgnoredBits[] = {0x0, 0x10, 0x20, 0x40, 0x80, 0x70, 0x100, 0x8000, 0xFFFFFFF0};

TEST(ConnectionProbe, EveryFlagCombinationWhenTheCallSucceeds) {
    FakeConnectionProbe probe;
    for (const FlagCase& row : kFlagTable) {
        for (DWORD ignored : kIgnoredBits) {
            SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << (row.flags | ignored));
            probe.result = true;
            probe.flags = row.flags | ignored;
            EXPECT_EQ(row.code, GetConnectionState());
            EXPECT_EQ(row.text, ConnectionStatusText());
        }
    }
}

TEST(ConnectionProbe, AFailedCallIsNotConnectedWhateverTheFlags) {
    FakeConnectionProbe probe;
    probe.result = false;
    for (const FlagCase& row : kFlagTable) {
        for (DWORD ignored : kIgnoredBits) {
            SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << (row.flags | ignored));
            probe.flags = row.flags | ignored;
            EXPECT_EQ(0, GetConnectionState());
            EXPECT_EQ("Not Connected", ConnectionStatusText());
        }
    }
}

TEST(ConnectionProbe, TheCasesNamedOneByOne) {
    struct Case {
        bool result;
        DWORD flags;
        std::int32_t code;
    } cases[] = {
        {true, 0x01 | 0x02, 1},  // modem wins over LAN
        {true, 0x01 | 0x08, 8},  // busy modem
        {true, 0x08, 0},         // busy without modem counts for nothing
        {true, 0x02 | 0x04, 2},  // LAN wins over proxy
        {false, 0x01, 0},        // FALSE with the modem bit
        {true, 0x10, 0},         // only RAS installed
        {true, 0x12, 2},         // LAN as Wine reports it when online
        {false, 0x30, 0},        // and when offline
    };
    FakeConnectionProbe probe;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.result << " 0x" << std::hex << c.flags);
        probe.result = c.result;
        probe.flags = c.flags;
        EXPECT_EQ(c.code, GetConnectionState());
    }
}

TEST(ConnectionProbe, StatusTextOfEveryCode) {
    EXPECT_EQ("Not Connected", StatusTextOf(0));
    EXPECT_EQ("Connected: Modem", StatusTextOf(1));
    EXPECT_EQ("Connected: LAN", StatusTextOf(2));
    EXPECT_EQ("Connected: Proxy Server", StatusTextOf(4));
    EXPECT_EQ("Connected: Modem (Busy)", StatusTextOf(8));
    for (std::int32_t code : {3, 5, 6, 7, 9, 16, -1, 0x7FFFFFFF}) {
        SCOPED_TRACE(code);
        EXPECT_EQ("Connection Error", StatusTextOf(code));
    }
}

TEST(ConnectionProbe, EveryCallProbesAfresh) {
    FakeConnectionProbe probe;
    probe.Queue(true, 0x02);
    probe.Queue(false, 0x00);
    probe.Queue(true, 0x01);
    EXPECT_EQ(2, GetConnectionState());
    // The text makes a probe of its own, which may disagree with the one before.
    EXPECT_EQ("Not Connected", ConnectionStatusText());
    EXPECT_EQ("Connected: Modem", ConnectionStatusText());
    EXPECT_EQ(3, probe.calls);
}

TEST(ConnectionProbe, InstallingAndRemovingAFake) {
    IConnectionProbe* real = &ConnectionProbe();
    {
        FakeConnectionProbe probe;
        EXPECT_EQ(&probe, &ConnectionProbe());
    }
    EXPECT_EQ(real, &ConnectionProbe());
}

TEST(ConnectionProbe, TheRealProbeGivesWhatTheSystemCallGives) {
    // Whatever the test machine's network, the installed probe answers what the call itself
    // answers a moment later: its result and its flags word (never 0 under Wine, which
    // reports 0x12 online and 0x30 offline), and the state code of that pair.
    DWORD flags = 0xDEAD;
    const bool connected = ConnectionProbe().GetConnectedState(flags);
    DWORD raw = 0;
    const bool rawConnected = InternetGetConnectedState(&raw, 0) != FALSE;
    EXPECT_EQ(rawConnected, connected);
    EXPECT_EQ(raw, flags) << std::hex << "0x" << raw << " from the call, 0x" << flags << " from the probe";
    EXPECT_EQ(ConnectionStateOf(rawConnected, raw), GetConnectionState());
}

// ---- NeedInternet and MeteredOffline: the Network List Manager's answer ----

struct Options {
    Options(bool needInternet, bool meteredOffline) {
        NeedInternet = needInternet;
        MeteredOffline = meteredOffline;
    }
    ~Options() { NeedInternet = MeteredOffline = false; }
};

NetworkAnswer Answer(bool hasConnectivity, DWORD connectivity, bool signIn, bool hasCost, DWORD cost) {
    NetworkAnswer answer;
    answer.hasConnectivity = hasConnectivity;
    answer.connectivity = connectivity;
    answer.signIn = signIn;
    answer.hasCost = hasCost;
    answer.cost = cost;
    return answer;
}

struct ManagerCase {
    const char* name;
    NetworkAnswer answer;
    bool needInternet, meteredOffline;
    std::int32_t code;
    const char* text;
};

TEST(ConnectionProbe, TheNetworkListManagerHoldsBackWhatTheOptionsAskFor) {
    const DWORD internet4 = 0x60, internet6 = 0x600, localOnly = 0x20;
    const ManagerCase cases[] = {
        {"internet", Answer(true, internet4, false, true, 1), true, true, 2, "Connected: LAN"},
        {"internet_v6_only", Answer(true, internet6, false, false, 0), true, false, 2, "Connected: LAN"},
        {"local_only", Answer(true, localOnly, false, true, 1), true, false, 0, "Not Connected: No Internet Access"},
        {"local_only_option_off", Answer(true, localOnly, false, true, 1), false, true, 2, "Connected: LAN"},
        {"sign_in_page", Answer(true, internet4, true, true, 1), true, false, 0, "Not Connected: Sign-in Required"},
        {"sign_in_page_no_internet", Answer(true, localOnly, true, true, 1), true, false, 0,
         "Not Connected: Sign-in Required"},
        {"metered_variable", Answer(true, internet4, false, true, 0x4), false, true, 0,
         "Not Connected: Metered Connection"},
        {"metered_fixed", Answer(true, internet4, false, true, 0x1 | 0x2), false, true, 0,
         "Not Connected: Metered Connection"},
        {"over_limit", Answer(true, internet4, false, true, 0x10000), false, true, 0, "Not Connected: Metered Connection"},
        {"congested", Answer(true, internet4, false, true, 0x20000), false, true, 0, "Not Connected: Metered Connection"},
        {"roaming", Answer(true, internet4, false, true, 0x40000), false, true, 0, "Not Connected: Metered Connection"},
        {"approaching_limit_only", Answer(true, internet4, false, true, 0x1 | 0x80000), false, true, 2, "Connected: LAN"},
        {"metered_option_off", Answer(true, internet4, false, true, 0x4), true, false, 2, "Connected: LAN"},
        {"no_internet_before_metered", Answer(true, localOnly, false, true, 0x4), true, true, 0,
         "Not Connected: No Internet Access"},
        {"manager_missing", Answer(false, 0, false, false, 0), true, true, 2, "Connected: LAN"},
        {"cost_manager_missing", Answer(true, internet4, false, false, 0x4), true, true, 2, "Connected: LAN"},
    };
    FakeConnectionProbe probe;
    FakeNetworkList manager;
    for (const ManagerCase& row : cases) {
        SCOPED_TRACE(row.name);
        Options options(row.needInternet, row.meteredOffline);
        manager.answer = row.answer;
        const ConnectionProbeResult result = ProbeConnection();
        EXPECT_EQ(row.code, result.code);
        EXPECT_EQ(row.text, StatusTextOf(result));
        EXPECT_EQ(row.code, GetConnectionState());
    }
}

TEST(ConnectionProbe, TheManagerIsAskedOnlyAboutAConnectionAndOnlyWithAnOptionOn) {
    FakeConnectionProbe probe;
    FakeNetworkList manager;
    manager.answer = Answer(true, 0x20, false, true, 0x4);
    {
        // Both options off: the probe is the one call, whatever the manager would say.
        EXPECT_EQ(2, GetConnectionState());
        EXPECT_EQ(0, manager.asked);
    }
    {
        Options options(true, false);
        probe.result = false;
        EXPECT_EQ(0, GetConnectionState());
        EXPECT_EQ("Not Connected", StatusTextOf(ProbeConnection()));
        EXPECT_EQ(0, manager.asked);
        probe.result = true;
        EXPECT_EQ(0, GetConnectionState());
        EXPECT_EQ(1, manager.asked);
        EXPECT_TRUE(manager.askedConnectivity);
        EXPECT_FALSE(manager.askedCost);
    }
    {
        Options options(false, true);
        GetConnectionState();
        EXPECT_FALSE(manager.askedConnectivity);
        EXPECT_TRUE(manager.askedCost);
    }
    // Each probe asks again: a changed answer is seen at once.
    Options options(true, false);
    manager.answer = Answer(true, 0x60, false, false, 0);
    EXPECT_EQ(2, GetConnectionState());
    EXPECT_EQ(3, manager.asked);
}

// ---- The questions put to the manager object itself: a stand-in COM object ----

// Methods the probe never calls.
#define TW_UNUSED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

// Counted references (in `refs`) and an IDispatch the probe never uses.
#define TW_COUNTED_DISPATCH                                                                  \
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }                             \
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }                            \
    TW_UNUSED(GetTypeInfoCount, UINT*)                                                       \
    TW_UNUSED(GetTypeInfo, UINT, LCID, ITypeInfo**)                                          \
    TW_UNUSED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)                         \
    TW_UNUSED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

// A network as the enumeration hands it out. The probe only asks it for its property bag,
// through IUnknown, so the stand-in is an IPropertyBag given out as an INetwork (COM calls
// go through the vtable: QueryInterface and Release sit at the same places in both).
class StandInNetwork final : public IPropertyBag {
public:
    StandInNetwork(VARTYPE type, DWORD v4, DWORD v6) : m_type(type), m_v4(v4), m_v6(v6) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IPropertyBag) && iid != __uuidof(IUnknown)) return E_NOINTERFACE;
        *out = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const std::wstring property(name);
        if (property != L"NA_InternetConnectivityV4" && property != L"NA_InternetConnectivityV6") return E_INVALIDARG;
        value->vt = m_type;
        value->ulVal = property == L"NA_InternetConnectivityV4" ? m_v4 : m_v6;
        return S_OK;
    }
    TW_UNUSED(Write, LPCOLESTR, VARIANT*)
    ULONG refs = 1;

private:
    VARTYPE m_type;
    DWORD m_v4, m_v6;
};

class StandInNetworks final : public IEnumNetworks {
public:
    explicit StandInNetworks(std::vector<StandInNetwork*> networks) : m_networks(std::move(networks)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    TW_COUNTED_DISPATCH
    TW_UNUSED(get__NewEnum, IEnumVARIANT**)
    HRESULT STDMETHODCALLTYPE Next(ULONG count, INetwork** out, ULONG* fetched) override {
        if (count != 1 || m_next >= m_networks.size()) {
            *fetched = 0;
            return S_FALSE;
        }
        StandInNetwork* network = m_networks[m_next++];
        network->AddRef();
        *out = reinterpret_cast<INetwork*>(network);
        *fetched = 1;
        return S_OK;
    }
    TW_UNUSED(Skip, ULONG)
    HRESULT STDMETHODCALLTYPE Reset() override {
        m_next = 0;
        return S_OK;
    }
    TW_UNUSED(Clone, IEnumNetworks**)
    ULONG refs = 1;

private:
    std::vector<StandInNetwork*> m_networks;
    size_t m_next = 0;
};

class StandInManager final : public INetworkListManager, public INetworkCostManager {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_INetworkCostManager) && hasCostManager)
            *out = static_cast<INetworkCostManager*>(this);
        else if (IsEqualIID(iid, IID_INetworkListManager) || iid == __uuidof(IUnknown))
            *out = static_cast<INetworkListManager*>(this);
        else
            return E_NOINTERFACE;
        ++refs;
        return S_OK;
    }
    TW_COUNTED_DISPATCH
    HRESULT STDMETHODCALLTYPE GetNetworks(NLM_ENUM_NETWORK flags, IEnumNetworks** out) override {
        enumeratedConnected = flags == NLM_ENUM_NETWORK_CONNECTED;
        if (!networks) return E_FAIL;
        networks->Reset();  // a fresh enumeration each time
        networks->AddRef();
        *out = networks;
        return S_OK;
    }
    TW_UNUSED(GetNetwork, GUID, INetwork**)
    TW_UNUSED(GetNetworkConnections, IEnumNetworkConnections**)
    TW_UNUSED(GetNetworkConnection, GUID, INetworkConnection**)
    TW_UNUSED(IsConnectedToInternet, VARIANT_BOOL*)
    TW_UNUSED(IsConnected, VARIANT_BOOL*)
    HRESULT STDMETHODCALLTYPE GetConnectivity(NLM_CONNECTIVITY* out) override {
        *out = static_cast<NLM_CONNECTIVITY>(connectivity);
        return connectivityResult;
    }
    HRESULT STDMETHODCALLTYPE GetCost(DWORD* out, NLM_SOCKADDR*) override {
        *out = cost;
        return costResult;
    }
    TW_UNUSED(GetDataPlanStatus, NLM_DATAPLAN_STATUS*, NLM_SOCKADDR*)
    TW_UNUSED(SetDestinationAddresses, UINT32, NLM_SOCKADDR*, VARIANT_BOOL)

    DWORD connectivity = 0x60;
    HRESULT connectivityResult = S_OK;
    bool hasCostManager = true;
    DWORD cost = 1;
    HRESULT costResult = S_OK;
    IEnumNetworks* networks = nullptr;
    bool enumeratedConnected = false;
    ULONG refs = 1;
};

TEST(NetworkListManager, TheAnswersOfTheManagerObject) {
    StandInNetwork home(VT_UI4, 0, 0), hotel(VT_UI4, 0x1 | 0x2, 0), hotelV6(VT_UI4, 0, 0x1),
        wrongType(VT_BSTR, 0x1, 0x1);
    StandInNetworks homeOnly({&home}), withHotel({&home, &hotel}), withHotelV6({&hotelV6}), odd({&wrongType});
    struct Case {
        const char* name;
        DWORD connectivity;
        HRESULT connectivityResult;
        StandInNetworks* networks;
        bool hasCostManager;
        DWORD cost;
        HRESULT costResult;
        tw::NetworkAnswer expected;
    };
    const Case cases[] = {
        {"internet", 0x60, S_OK, &homeOnly, true, 1, S_OK, Answer(true, 0x60, false, true, 1)},
        {"local_only", 0x20, S_OK, &homeOnly, true, 1, S_OK, Answer(true, 0x20, false, true, 1)},
        {"sign_in_page", 0x60, S_OK, &withHotel, true, 1, S_OK, Answer(true, 0x60, true, true, 1)},
        {"sign_in_page_v6", 0x600, S_OK, &withHotelV6, true, 1, S_OK, Answer(true, 0x600, true, true, 1)},
        {"not_a_number", 0x60, S_OK, &odd, true, 1, S_OK, Answer(true, 0x60, false, true, 1)},
        {"no_network_list", 0x60, S_OK, nullptr, true, 1, S_OK, Answer(true, 0x60, false, true, 1)},
        {"metered", 0x60, S_OK, &homeOnly, true, 0x4, S_OK, Answer(true, 0x60, false, true, 0x4)},
        {"no_cost_manager", 0x60, S_OK, &homeOnly, false, 0x4, S_OK, Answer(true, 0x60, false, false, 0)},
        {"failing_connectivity", 0x60, E_FAIL, &withHotel, true, 1, S_OK, Answer(false, 0, false, true, 1)},
        {"failing_cost", 0x60, S_OK, &homeOnly, true, 0x4, E_UNEXPECTED, Answer(true, 0x60, false, false, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StandInManager manager;
        manager.connectivity = c.connectivity;
        manager.connectivityResult = c.connectivityResult;
        manager.networks = c.networks;
        manager.hasCostManager = c.hasCostManager;
        manager.cost = c.cost;
        manager.costResult = c.costResult;
        const tw::NetworkAnswer answer = tw::AskNetworkListManager(&manager, true, true);
        EXPECT_EQ(c.expected.hasConnectivity, answer.hasConnectivity);
        if (c.expected.hasConnectivity) {
            EXPECT_EQ(c.expected.connectivity, answer.connectivity);
        }
        EXPECT_EQ(c.expected.signIn, answer.signIn);
        EXPECT_EQ(c.expected.hasCost, answer.hasCost);
        if (c.expected.hasCost) {
            EXPECT_EQ(c.expected.cost, answer.cost);
        }
        if (c.networks && c.connectivityResult == S_OK) {
            EXPECT_TRUE(manager.enumeratedConnected);
        }
        // Every reference it took was given back.
        EXPECT_EQ(1u, manager.refs);
    }
    for (StandInNetwork* network : {&home, &hotel, &hotelV6, &wrongType}) EXPECT_EQ(1u, network->refs);
    for (StandInNetworks* list : {&homeOnly, &withHotel, &withHotelV6, &odd}) EXPECT_EQ(1u, list->refs);
    // Only what was asked for is asked.
    StandInManager manager;
    manager.costResult = E_FAIL;  // would show as no cost
    manager.connectivity = 0x20;
    EXPECT_FALSE(tw::AskNetworkListManager(&manager, false, true).hasConnectivity);
    EXPECT_FALSE(manager.enumeratedConnected);
    EXPECT_FALSE(tw::AskNetworkListManager(&manager, true, false).hasCost);
}

#undef TW_COUNTED_DISPATCH
#undef TW_UNUSED

}  // namespace
