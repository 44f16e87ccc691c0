// LoadResString, LoadResIcon and LoadResBitmap over LoadString and LoadImage.
#include "Resources.h"

#include "System.h"

namespace tw {
namespace {

HINSTANCE OwnModule() { return GetModuleHandleA(nullptr); }

}  // namespace

std::string LoadResString(UINT id) { return sys::ResourceString(OwnModule(), id); }

UniqueIcon LoadResIcon(UINT id, int size) {
    // Without LR_SHARED the handle is a private copy, for the owner to destroy.
    UINT flags = size == 0 ? LR_DEFAULTSIZE : 0;
    return UniqueIcon(static_cast<HICON>(
        LoadImageA(OwnModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, flags)));
}

UniqueBitmap LoadResBitmap(UINT id) {
    return UniqueBitmap(static_cast<HBITMAP>(LoadImageA(OwnModule(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
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
