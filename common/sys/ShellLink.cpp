// The shell's link object, and the icons of a file.
#include "ShellLink.h"
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "FileSystem.h"
#include "SystemCalls.h"

namespace tw::sys {

// ---- Shell links ------------------------------------------------------------------------------

namespace {
// Link fields come back in buffers of this many characters (INFOTIPSIZE, the longest field
// the shell's property sheet edits).
constexpr int kFieldCapacity = 1024;

// IShellLinkA and IShellLinkW have the same methods in the same order and differ only in the
// character type of their strings: the W declarations call either, with the family's text.
IShellLinkW* AsW(IUnknown* link) { return static_cast<IShellLinkW*>(static_cast<void*>(link)); }

// A field's buffer, room for either character type, and the text the family's call left in it.
std::vector<wchar_t> FieldBuffer() { return std::vector<wchar_t>(kFieldCapacity + 1, L'\0'); }
std::string FieldText(const std::vector<wchar_t>& buffer) {
    return UnicodeSystem() ? FromWide(buffer.data()) : FromAnsi(reinterpret_cast<const char*>(buffer.data()));
}

using Getter = HRESULT (*)(IShellLinkW* link, wchar_t* buffer, int capacity);
bool GetField(IUnknown* link, std::string& out, Getter get) {
    std::vector<wchar_t> buffer = FieldBuffer();
    if (!link || FAILED(get(AsW(link), buffer.data(), kFieldCapacity))) return false;
    out = FieldText(buffer);
    return true;
}

using Setter = HRESULT (*)(IShellLinkW* link, const wchar_t* text);
bool SetField(IUnknown* link, const std::string& value, Setter set) {
    const SystemText text(value);
    return link && SUCCEEDED(set(AsW(link), static_cast<const wchar_t*>(text.Either())));
}
}  // namespace

ShellLink::ShellLink() {
    const IID& iid = UnicodeSystem() ? IID_IShellLinkW : IID_IShellLinkA;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, m_link.Out())) || !m_link) return;
    m_link->QueryInterface(IID_IPersistFile, m_file.Out());
}

ShellLink::~ShellLink() = default;

// IPersistFile takes UTF-16 names on every family.
bool ShellLink::Load(const std::string& linkFile) {
    return m_file && SUCCEEDED(m_file->Load(ToWide(linkFile).data(), STGM_READ));
}

bool ShellLink::Save(const std::string& linkFile) {
    const bool done = m_file && SUCCEEDED(m_file->Save(ToWide(linkFile).data(), FALSE));
    if (done) ReportChange(Change::ShortcutSave, linkFile);
    return done;
}

bool ShellLink::SetPath(const std::string& path) {
    return SetField(m_link.Get(), path, [](IShellLinkW* l, const wchar_t* v) { return l->SetPath(v); });
}
bool ShellLink::SetArguments(const std::string& arguments) {
    return SetField(m_link.Get(), arguments, [](IShellLinkW* l, const wchar_t* v) { return l->SetArguments(v); });
}
bool ShellLink::SetWorkingDirectory(const std::string& folder) {
    return SetField(m_link.Get(), folder, [](IShellLinkW* l, const wchar_t* v) { return l->SetWorkingDirectory(v); });
}
bool ShellLink::SetDescription(const std::string& description) {
    return SetField(m_link.Get(), description, [](IShellLinkW* l, const wchar_t* v) { return l->SetDescription(v); });
}
bool ShellLink::SetIconLocation(const std::string& file, int index) {
    const SystemText text(file);
    return m_link && SUCCEEDED(AsW(m_link.Get())->SetIconLocation(static_cast<const wchar_t*>(text.Either()), index));
}
bool ShellLink::SetShowCmd(int showCmd) { return m_link && SUCCEEDED(AsW(m_link.Get())->SetShowCmd(showCmd)); }
bool ShellLink::Resolve(DWORD flags) { return m_link && SUCCEEDED(AsW(m_link.Get())->Resolve(nullptr, flags)); }
bool ShellLink::GetShowCmd(int& showCmd) { return m_link && SUCCEEDED(AsW(m_link.Get())->GetShowCmd(&showCmd)); }

bool ShellLink::GetPath(std::string& path) {
    return GetField(m_link.Get(), path, [](IShellLinkW* l, wchar_t* b, int n) {
        WIN32_FIND_DATAW data;  // the larger of the two
        return l->GetPath(b, n, &data, SLGP_UNCPRIORITY);
    });
}
bool ShellLink::GetArguments(std::string& arguments) {
    return GetField(m_link.Get(), arguments, [](IShellLinkW* l, wchar_t* b, int n) { return l->GetArguments(b, n); });
}
bool ShellLink::GetWorkingDirectory(std::string& folder) {
    return GetField(m_link.Get(), folder, [](IShellLinkW* l, wchar_t* b, int n) { return l->GetWorkingDirectory(b, n); });
}
bool ShellLink::GetIconLocation(std::string& file, int& index) {
    std::vector<wchar_t> buffer = FieldBuffer();
    int got = 0;
    if (!m_link || FAILED(AsW(m_link.Get())->GetIconLocation(buffer.data(), kFieldCapacity, &got))) return false;
    file = FieldText(buffer);
    index = got;
    return true;
}

UINT ExtractIcons(const std::string& file, int index, HICON* large, HICON* small) {
    const SystemText text(file);
    return UnicodeSystem() ? TW_CALL(ExtractIconExW)(text.W(), index, large, small, 1)
                           : ExtractIconExA(text.A(), index, large, small, 1);
}

}  // namespace tw::sys
