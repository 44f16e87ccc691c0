// The connection probe: the flags word and result of InternetGetConnectedState turned into
// a state code and a status text, with the tie-breaks modem > LAN > proxy.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "TrayFakes.h"
#include "monitor/Connection.h"

namespace {

using tw::test::FakeConnectionProbe;
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

}  // namespace
