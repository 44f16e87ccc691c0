// The artwork as the built programs carry it: icon groups with the right image sizes
// and colour depth, the program's own icon first, the menu texts, the side bar and
// wizard pictures, and tray icons whose light shows the state they stand for; and each
// program's manifest as the system reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Handles.h"

namespace {

std::string ProgramPath(const char* name) {
    std::string path = std::string("Z:") + TW_BIN_DIR + "/" + name;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// The programs are read as data files, never run.
tw::UniqueModule OpenProgram(const char* name) {
    return tw::UniqueModule(LoadLibraryExA(ProgramPath(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

struct Resource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Resource FindRes(HMODULE module, int id, LPCSTR type) {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(module, info);
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, info)};
}

#pragma pack(push, 2)
struct GroupEntry {  // GRPICONDIRENTRY
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD iconId;
};
#pragma pack(pop)

// The entries of an icon group resource; empty when the group is missing.
std::vector<GroupEntry> GroupEntries(HMODULE module, int id) {
    Resource group = FindRes(module, id, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    std::vector<GroupEntry> entries;
    if (group.size < 6) return entries;
    WORD count = *reinterpret_cast<const WORD*>(group.data + 4);
    if (group.size < 6 + count * sizeof(GroupEntry)) return entries;
    const GroupEntry* first = reinterpret_cast<const GroupEntry*>(group.data + 6);
    entries.assign(first, first + count);
    return entries;
}

// The colours used by the opaque pixels of a 4-bit icon image, as 0xRRGGBB.
std::set<DWORD> OpaqueColours(HMODULE module, int iconId) {
    std::set<DWORD> colours;
    Resource image = FindRes(module, iconId, MAKEINTRESOURCEA(3));  // RT_ICON
    if (image.size < sizeof(BITMAPINFOHEADER)) return colours;
    const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(image.data);
    if (header->biBitCount != 4) return colours;
    const int size = header->biWidth;
    const RGBQUAD* palette = reinterpret_cast<const RGBQUAD*>(image.data + header->biSize);
    const BYTE* xorBits = reinterpret_cast<const BYTE*>(palette + 16);
    const int xorStride = (size * 4 + 31) / 32 * 4;
    const BYTE* andBits = xorBits + xorStride * size;
    const int andStride = (size + 31) / 32 * 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (andBits[y * andStride + x / 8] & (0x80 >> (x % 8))) continue;  // transparent
            BYTE pair = xorBits[y * xorStride + x / 2];
            const RGBQUAD& c = palette[x % 2 ? pair & 15 : pair >> 4];
            colours.insert(RGB(c.rgbBlue, c.rgbGreen, c.rgbRed));  // reads as 0xRRGGBB
        }
    }
    return colours;
}


BOOL CALLBACK KeepFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    *reinterpret_cast<LPSTR*>(param) = name;
    return FALSE;
}

// The first icon group in the resource directory: the one Explorer shows.
ULONG_PTR FirstIconGroup(HMODULE module) {
    LPSTR first = nullptr;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(14), KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
    return reinterpret_cast<ULONG_PTR>(first);
}

struct GroupCase {
    const char* program;
    int id;
    std::set<int> sizes;
};

const DWORD kLime = 0x00FF00, kYellow = 0xFFFF00, kRed = 0xFF0000, kNavy = 0x000080;

class Artwork : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_lookout) << "cannot open Lookout.exe in " << TW_BIN_DIR;
        ASSERT_TRUE(m_marshal) << "cannot open Marshal.exe in " << TW_BIN_DIR;
    }
    HMODULE Program(const std::string& name) const {
        return name == "Lookout" ? m_lookout.Get() : m_marshal.Get();
    }

    tw::UniqueModule m_lookout = OpenProgram("Lookout.exe");
    tw::UniqueModule m_marshal = OpenProgram("Marshal.exe");
};

// Every icon holds the small and large sizes at 100 %, 125 %, 150 % and 200 %.
const std::set<int> kAllSizes = {16, 20, 24, 32, 48};

TEST_F(Artwork, IconGroupsHoldTheirSizesIn16Colours) {
    const std::set<int>& all = kAllSizes;
    const GroupCase cases[] = {
        {"Lookout", 1, all},   {"Lookout", 101, all}, {"Lookout", 102, all}, {"Lookout", 103, all},
        {"Lookout", 104, all}, {"Lookout", 105, all}, {"Lookout", 204, all}, {"Lookout", 201, all},
        {"Lookout", 301, all}, {"Lookout", 302, all}, {"Lookout", 303, all}, {"Lookout", 701, all},
        {"Lookout", 702, all}, {"Lookout", 703, all}, {"Lookout", 704, all}, {"Lookout", 705, all},
        {"Lookout", 706, all}, {"Marshal", 1, all},   {"Marshal", 101, all}, {"Marshal", 102, all},
        {"Marshal", 103, all},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " icon " + std::to_string(c.id));
        std::vector<GroupEntry> entries = GroupEntries(Program(c.program), c.id);
        std::set<int> sizes;
        for (const GroupEntry& e : entries) {
            sizes.insert(e.width);
            EXPECT_EQ(e.width, e.height);
            EXPECT_EQ(4, e.bitCount);
            EXPECT_EQ(16, e.colours);
        }
        EXPECT_EQ(c.sizes, sizes);
        EXPECT_EQ(c.sizes.size(), entries.size());
    }
}

TEST_F(Artwork, EachIconLoadsAtTheSizeAsked) {
    const int ids[] = {104, 204, 303, 702};
    for (int id : ids) {
        for (int size : kAllSizes) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            HICON icon = static_cast<HICON>(LoadImageA(m_lookout.Get(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof(colour), &colour);
            EXPECT_EQ(size, colour.bmWidth);
            DeleteObject(info.hbmMask);
            DeleteObject(info.hbmColor);
            DestroyIcon(icon);
        }
    }
}

TEST_F(Artwork, TheProgramsOwnIconIsTheFirstGroup) {
    EXPECT_EQ(1u, FirstIconGroup(m_lookout.Get()));
    EXPECT_EQ(1u, FirstIconGroup(m_marshal.Get()));
}

TEST_F(Artwork, MenuTextsAreTheStringsOfTheCommandIds) {
    const struct {
        int id;
        const char* text;
    } cases[] = {
        {101, "Kill Internet Apps..."}, {102, "Launch Internet Apps..."}, {103, "Options"},
        {104, "Disable"},               {105, "Exit"},                    {204, "Enable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        char text[64] = {};
        int length = LoadStringA(m_lookout.Get(), c.id, text, sizeof(text));
        EXPECT_EQ(std::string(c.text), std::string(text, length));
    }
    char text[64] = {};
    EXPECT_EQ(0, LoadStringA(m_lookout.Get(), 200, text, sizeof(text))) << "separators have no text";
}

TEST_F(Artwork, PicturesHaveTheirSizeIn24Bits) {
    const struct {
        const char* program;
        int width, height;
    } cases[] = {{"Lookout", 21, 161}, {"Marshal", 144, 287}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        Resource bitmap = FindRes(Program(c.program), 101, MAKEINTRESOURCEA(2));  // RT_BITMAP
        ASSERT_GE(bitmap.size, sizeof(BITMAPINFOHEADER));
        const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data);
        EXPECT_EQ(sizeof(BITMAPINFOHEADER), header->biSize) << "a plain info header";
        EXPECT_EQ(c.width, header->biWidth);
        EXPECT_EQ(c.height, header->biHeight);
        EXPECT_EQ(24, header->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header->biCompression);

        tw::UniqueGdiObject loaded(LoadImageA(Program(c.program), MAKEINTRESOURCEA(101), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_TRUE(loaded);
        BITMAP info = {};
        GetObjectA(loaded.Get(), sizeof(info), &info);
        EXPECT_EQ(c.width, info.bmWidth);
        EXPECT_EQ(c.height, info.bmHeight);
    }
}

TEST_F(Artwork, TheSideBarTopRowsArePlainForTheMenuToRepeat) {
    // The menu copies the picture's top 32 rows above the picture itself, so rows
    // 11 to 31 show twice: they must be one colour for the seam not to show.
    Resource bitmap = FindRes(m_lookout.Get(), 101, MAKEINTRESOURCEA(2));
    ASSERT_GE(bitmap.size, sizeof(BITMAPINFOHEADER));
    const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data);
    const BYTE* bits = bitmap.data + header->biSize;
    const int stride = (header->biWidth * 3 + 3) / 4 * 4;
    auto row = [&](int y) {  // bottom-up rows
        const BYTE* p = bits + (header->biHeight - 1 - y) * stride;
        return std::vector<BYTE>(p, p + header->biWidth * 3);
    };
    for (int y = 1; y < 32; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(row(0), row(y));
    }
    EXPECT_NE(row(0), row(150)) << "the name and the gradient are in the lower part";
}

TEST_F(Artwork, TrayIconsShowTheirStateByTheLight) {
    const struct {
        int id;
        std::set<DWORD> present, absent;
    } cases[] = {
        {701, {kLime}, {kYellow, kRed, kNavy}},
        {702, {kYellow}, {kLime, kRed, kNavy}},
        {703, {kRed}, {kLime, kYellow, kNavy}},
        {704, {kYellow, kRed}, {kLime}},      // yellow light under the red sign
        {705, {kLime, kNavy}, {kYellow, kRed}},  // the program window's title bar
        {706, {kRed, kNavy}, {kLime, kYellow}},
        {204, {kLime}, {kYellow, kRed}},      // "Enable" shows the connected modem
        {104, {kYellow, kRed}, {kLime}},      // "Disable" shows the disabled one
    };
    for (const auto& c : cases) {
        std::vector<GroupEntry> entries = GroupEntries(m_lookout.Get(), c.id);
        ASSERT_EQ(kAllSizes.size(), entries.size()) << c.id;
        for (const GroupEntry& e : entries) {  // every size shows the same state
            SCOPED_TRACE("icon " + std::to_string(c.id) + " at " + std::to_string(e.width));
            std::set<DWORD> colours = OpaqueColours(m_lookout.Get(), e.iconId);
            for (DWORD colour : c.present) EXPECT_EQ(1u, colours.count(colour)) << std::hex << colour;
            for (DWORD colour : c.absent) EXPECT_EQ(0u, colours.count(colour)) << std::hex << colour;
        }
    }
}

// ---- Manifests ----------------------------------------------------------------------------

// What the system reads from a program's manifest resource when it makes the program's
// activation context at its start.
struct ManifestReading {
    bool made = false;
    std::wstring dpiAware;   // the windowsSettings value
    int runLevel = -1;       // ACTCTX_RUN_LEVEL_*
    std::vector<BYTE> compatibility;  // an element count, then elements whose size differs
                                      // between systems: only the count and GUID bytes are read
};

ManifestReading ReadManifest(const char* program) {
    ManifestReading reading;
    const std::string path = ProgramPath(program);
    ACTCTXA request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
    HANDLE context = CreateActCtxA(&request);
    if (context == INVALID_HANDLE_VALUE) return reading;
    reading.made = true;
    using QuerySettings = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);  // Vista's
    auto query = reinterpret_cast<QuerySettings>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (query && query(0, context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", value,
                       64, &written))
        reading.dpiAware = value;
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    if (QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level), &written))
        reading.runLevel = static_cast<int>(level.RunLevel);
    reading.compatibility.resize(4096);
    if (!QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, reading.compatibility.data(),
                      reading.compatibility.size(), &written))
        reading.compatibility.clear();
    ReleaseActCtx(context);
    return reading;
}

bool HoldsGuid(const std::vector<BYTE>& bytes, const GUID& guid) {
    const BYTE* g = reinterpret_cast<const BYTE*>(&guid);
    return std::search(bytes.begin(), bytes.end(), g, g + sizeof(GUID)) != bytes.end();
}

TEST(Manifest, BothProgramsAreDpiAwareAndSupportVistaTo11MarshalAsksForTheHighestLevel) {
    // Vista, 7, 8, 8.1, 10 and 11.
    const GUID systems[] = {
        {0xe2011457, 0x1546, 0x43c5, {0xa5, 0xfe, 0x00, 0x8d, 0xee, 0xe3, 0xd3, 0xf0}},
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    const struct {
        const char* program;
        int runLevel;
    } cases[] = {{"Lookout.exe", ACTCTX_RUN_LEVEL_AS_INVOKER}, {"Marshal.exe", ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const ManifestReading manifest = ReadManifest(c.program);
        ASSERT_TRUE(manifest.made) << GetLastError();
        EXPECT_EQ(L"true", manifest.dpiAware);
        EXPECT_EQ(c.runLevel, manifest.runLevel);
        const std::vector<BYTE>& compatibility = manifest.compatibility;
        ASSERT_GE(compatibility.size(), sizeof(DWORD));
        EXPECT_EQ(5u, *reinterpret_cast<const DWORD*>(compatibility.data()));
        for (const GUID& system : systems) EXPECT_TRUE(HoldsGuid(compatibility, system)) << std::hex << system.Data1;
    }
}

}  // namespace
