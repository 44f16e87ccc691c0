// Our own windows (Unicode windows on the NT family), their messages, message boxes, resource
// strings, and text drawn on the screen.
#include "Gui.h"

#include <vector>

#include "SystemCalls.h"

namespace tw::sys {

// ---- Our own windows ---------------------------------------------------------------------------

ATOM RegisterWindowClass(const char* className, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background) {
    // WNDCLASSA and WNDCLASSW differ only in the type their names point to.
    const SystemText name(className);
    WNDCLASSW wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = static_cast<const wchar_t*>(name.Either());
    return UnicodeSystem() ? TW_CALL(RegisterClassW)(&wc) : RegisterClassA(reinterpret_cast<const WNDCLASSA*>(&wc));
}

HWND MakeWindow(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu, void* param) {
    const SystemText text(title);
    if (UnicodeSystem()) {
        const WideText name = ToWide(className);
        return TW_CALL(CreateWindowExW)(exStyle, name.data(), text.W(), style, x, y, width, height, parent,
                                       menu, GetModuleHandleA(nullptr), param);
    }
    return CreateWindowExA(exStyle, className, text.A(), style, x, y, width, height, parent, menu,
                           GetModuleHandleA(nullptr), param);
}

LRESULT DefaultProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_CALL(DefWindowProcW)(window, msg, wParam, lParam)
                           : DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT CallProc(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_CALL(CallWindowProcW)(proc, window, msg, wParam, lParam)
                           : CallWindowProcA(proc, window, msg, wParam, lParam);
}

LONG_PTR GetLong(HWND window, int index) {
    return UnicodeSystem() ? TW_CALL(TW_GET_WINDOW_LONG)(window, index) : GetWindowLongPtrA(window, index);
}

LONG_PTR SetLong(HWND window, int index, LONG_PTR value) {
    return UnicodeSystem() ? TW_CALL(TW_SET_WINDOW_LONG)(window, index, value)
                           : SetWindowLongPtrA(window, index, value);
}

WNDPROC SetWindowProc(HWND window, WNDPROC proc) {
    return reinterpret_cast<WNDPROC>(SetLong(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return UnicodeSystem() ? TW_CALL(SendMessageW)(window, msg, wParam, lParam)
                           : SendMessageA(window, msg, wParam, lParam);
}

BOOL NextMessage(MSG& msg) {
    return UnicodeSystem() ? TW_CALL(GetMessageW)(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0);
}

BOOL PeekNextMessage(MSG& msg) {
    return UnicodeSystem() ? TW_CALL(PeekMessageW)(&msg, nullptr, 0, 0, PM_REMOVE)
                           : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
}

LRESULT Dispatch(const MSG& msg) {
    return UnicodeSystem() ? TW_CALL(DispatchMessageW)(&msg) : DispatchMessageA(&msg);
}

BOOL DialogMessage(HWND dialog, MSG& msg) {
    return UnicodeSystem() ? TW_CALL(IsDialogMessageW)(dialog, &msg) : IsDialogMessageA(dialog, &msg);
}

// Our property names are ASCII, the same in either character set.
BOOL SetProperty(HWND window, const char* name, HANDLE value) { return SetPropA(window, name, value); }
HANDLE Property(HWND window, const char* name) { return GetPropA(window, name); }
HANDLE RemoveProperty(HWND window, const char* name) { return RemovePropA(window, name); }

UINT FamilyMessage(UINT unicodeMessage, UINT ansiMessage) { return UnicodeSystem() ? unicodeMessage : ansiMessage; }

std::string BufferText(const wchar_t* buffer, int length) {
    return UnicodeSystem() ? FromWide(buffer, length) : FromAnsi(reinterpret_cast<const char*>(buffer), length);
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags) {
    const SystemText body(text), caption(title);
    return UnicodeSystem() ? TW_CALL(MessageBoxW)(owner, body.W(), caption.W(), flags)
                           : MessageBoxA(owner, body.A(), caption.A(), flags);
}

std::string ResourceString(HINSTANCE module, UINT id) {
    // LoadString truncates silently: grow the buffer while it comes back full.
    std::string text;
    for (int capacity = 256; capacity <= 65536; capacity *= 4) {
        int length;
        if (UnicodeSystem()) {
            std::vector<wchar_t> buffer(static_cast<size_t>(capacity), L'\0');
            length = TW_CALL(LoadStringW)(module, id, buffer.data(), capacity);
            if (length > 0) text = FromWide(buffer.data(), length);
        } else {
            std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
            length = LoadStringA(module, id, buffer.data(), capacity);
            if (length > 0) text = FromAnsi(buffer.data(), length);
        }
        if (length < capacity - 1) break;
    }
    return text;
}

// ---- Text on the screen ----------------------------------------------------------------------

int DrawString(HDC dc, const std::string& text, RECT& rect, UINT format) {
    const SystemText shown(text);
    return UnicodeSystem() ? TW_CALL(DrawTextW)(dc, shown.W(), -1, &rect, format)
                           : DrawTextA(dc, shown.A(), -1, &rect, format);
}

SIZE TextExtent(HDC dc, const std::string& text) {
    SIZE size = {0, 0};
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        TW_CALL(GetTextExtentPoint32W)(dc, wide.data(), static_cast<int>(wide.size() - 1), &size);
    } else {
        const std::string ansi = ToAnsi(text);
        GetTextExtentPoint32A(dc, ansi.c_str(), static_cast<int>(ansi.size()), &size);
    }
    return size;
}

BOOL DrawStateText(HDC dc, const std::string& text, int x, int y, int width, int height, UINT flags) {
    if (UnicodeSystem()) {
        const WideText wide = ToWide(text);
        return TW_CALL(DrawStateW)(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(wide.data()),
                                  static_cast<WPARAM>(wide.size() - 1), x, y, width, height, flags);
    }
    const std::string ansi = ToAnsi(text);
    return DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(ansi.c_str()),
                      static_cast<WPARAM>(ansi.size()), x, y, width, height, flags);
}

UniqueFont CreateMessageFont() {
    // The pre-Vista sizes: _WIN32_WINNT is 0x0500.
    if (UnicodeSystem()) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof(metrics);
        if (TW_CALL(SystemParametersInfoW)(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
            return UniqueFont(TW_CALL(CreateFontIndirectW)(&metrics.lfMessageFont));
        return UniqueFont();
    }
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return UniqueFont(CreateFontIndirectA(&metrics.lfMessageFont));
    return UniqueFont();
}

UniqueFont CreateBoldFont(HFONT font) {
    if (UnicodeSystem()) {
        LOGFONTW info = {};
        if (!TW_CALL(GetObjectW)(font, sizeof(info), &info)) return UniqueFont();
        info.lfWeight = FW_BOLD;
        return UniqueFont(TW_CALL(CreateFontIndirectW)(&info));
    }
    LOGFONTA info = {};
    if (!GetObjectA(font, sizeof(info), &info)) return UniqueFont();
    info.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectA(&info));
}

}  // namespace tw::sys
