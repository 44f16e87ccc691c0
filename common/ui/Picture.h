// A picture: an icon or bitmap handle that it owns, shared by reference (an OLE picture
// object created with ownership of the handle; the handle goes with the last reference).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "Handles.h"

namespace tw {

class Picture {
public:
    Picture() noexcept = default;
    Picture(const Picture& other) noexcept;
    Picture& operator=(const Picture& other) noexcept;
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    ~Picture();

    // Takes ownership of a bitmap handle (PICTYPE_BITMAP). A null handle, or a failure, gives
    // an empty picture (and the handle is destroyed). Icons: IconToPicture.
    static Picture FromBitmap(HBITMAP bitmap);
    static Picture FromBitmap(UniqueBitmap bitmap) { return FromBitmap(bitmap.Release()); }

    explicit operator bool() const noexcept { return m_picture != nullptr; }
    bool IsIcon() const;
    HICON Icon() const;        // null unless an icon
    HBITMAP Bitmap() const;    // null unless a bitmap
    HANDLE Handle() const;     // the wrapped handle, or null
    IPicture* Get() const noexcept { return m_picture; }

private:
    friend Picture IconToPicture(HICON icon);
    explicit Picture(IPicture* adopted) noexcept : m_picture(adopted) {}
    IPicture* m_picture = nullptr;
};

// Hands an icon handle to a picture object that owns it from now on (PICTYPE_ICON). A null
// handle gives an empty picture; on a failure the icon is destroyed and the picture is empty.
Picture IconToPicture(HICON icon);
inline Picture IconToPicture(UniqueIcon icon) { return IconToPicture(icon.Release()); }

}  // namespace tw
