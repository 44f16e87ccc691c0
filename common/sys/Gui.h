// Our own windows (Unicode windows on the NT family), their messages, message boxes, resource
// strings, and text drawn on the screen.
#pragma once
#include <windows.h>

#include <string>

#include "Handles.h"
#include "Text.h"

namespace tw::sys {

// ---- Our own windows: Unicode windows on the NT family -------------------------------------

ATOM RegisterWindowClass(const char* className, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background);
HWND MakeWindow(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menu, void* param);
LRESULT DefaultProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallProc(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
WNDPROC SetWindowProc(HWND window, WNDPROC proc);  // returns the previous one
LONG_PTR GetLong(HWND window, int index);
LONG_PTR SetLong(HWND window, int index, LONG_PTR value);
LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL NextMessage(MSG& msg);
BOOL PeekNextMessage(MSG& msg);  // PM_REMOVE
LRESULT Dispatch(const MSG& msg);
BOOL DialogMessage(HWND dialog, MSG& msg);
// Properties by ASCII name.
BOOL SetProperty(HWND window, const char* name, HANDLE value);
HANDLE Property(HWND window, const char* name);
HANDLE RemoveProperty(HWND window, const char* name);

// Messages whose A and W forms take the same structure but for its text's character type
// (list view items and columns, tooltips): the family's form of the pair.
UINT FamilyMessage(UINT unicodeMessage, UINT ansiMessage);
// The text such a message left in a buffer of wide characters: UTF-16 on the NT family, ANSI
// bytes on 95/98/Me; `length` characters, or up to the NUL when it is -1.
std::string BufferText(const wchar_t* buffer, int length = -1);

int ShowMessageBox(HWND owner, const std::string& text, const std::string& title, UINT flags);
std::string ResourceString(HINSTANCE module, UINT id);

// ---- Text on the screen ----------------------------------------------------------------------

int DrawString(HDC dc, const std::string& text, RECT& rect, UINT format);
SIZE TextExtent(HDC dc, const std::string& text);
// DrawState of a text; `flags` holds its type (DST_TEXT or DST_PREFIXTEXT) and state.
BOOL DrawStateText(HDC dc, const std::string& text, int x, int y, int width, int height, UINT flags);
// The system's message font, and a bold copy of a font; empty on failure.
UniqueFont CreateMessageFont();
UniqueFont CreateBoldFont(HFONT font);

}  // namespace tw::sys
