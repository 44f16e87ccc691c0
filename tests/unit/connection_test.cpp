// The connection probe: the flags word and result of InternetGetConnectedState turned into
// a state code and a status text, with the tie-breaks modem > LAN > proxy.
#include <gtest/gtest.h>

#include <string>

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

TEST(ConnectionProbe, TheRealProbeGivesACodeOfTheTable) {
    // Whatever the test machine's network: wininet answers, and the answer is one of the
    // codes, consistent with the raw call.
    DWORD flags = 0xDEAD;
    bool connected = ConnectionProbe().GetConnectedState(flags);
    std::int32_t code = GetConnectionState();
    EXPECT_TRUE(code == 0 || code == 1 || code == 2 || code == 4 || code == 8) << code;
    EXPECT_EQ(ConnectionStateOf(connected, flags), code) << "flags 0x" << std::hex << flags;
    EXPECT_NE(0xDEADu, flags) << "the call writes the flags word";
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

}  // namespace
