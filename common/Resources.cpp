// LoadResString, LoadResIcon and LoadResBitmap over LoadStringA and LoadImageA.
#include "Resources.h"

#include <vector>

namespace tw {
namespace {

HINSTANCE OwnModule() { return GetModuleHandleA(nullptr); }

}  // namespace

std::string LoadResString(UINT id) {
    // LoadStringA truncates silently: grow the buffer while it comes back full.
    // (LoadStringW with a zero-length buffer would give the length, but not on Windows 9x.)
    std::string text;
    for (int capacity = 256; capacity <= 65536; capacity *= 4) {
        std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
        int length = LoadStringA(OwnModule(), id, buffer.data(), capacity);
        if (length <= 0) break;
        text.assign(buffer.data(), static_cast<size_t>(length));
        if (length < capacity - 1) break;
    }
    return text;
}

HICON LoadResIcon(UINT id, int size) {
    // Without LR_SHARED the handle is a private copy the caller may destroy.
    UINT flags = size == 0 ? LR_DEFAULTSIZE : 0;
    return static_cast<HICON>(
        LoadImageA(OwnModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, flags));
}

HBITMAP LoadResBitmap(UINT id) {
    return static_cast<HBITMAP>(LoadImageA(OwnModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

int SmallIconSize() { return GetSystemMetrics(SM_CXSMICON); }
int LargeIconSize() { return GetSystemMetrics(SM_CXICON); }

int SharpIconSize(int box) {
    int size = box;
    for (int image : kIconImageSizes)
        if (image <= box) size = image;
    return size;
}

}  // namespace tw
