// A picture: an icon or bitmap handle that it owns, shared by reference (an OLE picture
// object created with ownership of the handle; the handle goes with the last reference).
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

namespace tw {

class Picture {
public:
    Picture() noexcept = default;
    Picture(const Picture& other) noexcept;
    Picture& operator=(const Picture& other) noexcept;
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    ~Picture();

    // Takes ownership of an icon (PICTYPE_ICON) or bitmap (PICTYPE_BITMAP) handle.
    // A null handle, or a failure, gives an empty picture (and the handle is destroyed).
    static Picture FromIcon(HICON icon);
    static Picture FromBitmap(HBITMAP bitmap);

    explicit operator bool() const noexcept { return m_picture != nullptr; }
    bool IsIcon() const;
    HICON Icon() const;        // null unless an icon
    HBITMAP Bitmap() const;    // null unless a bitmap
    HANDLE Handle() const;     // the wrapped handle, or null
    IPicture* Get() const noexcept { return m_picture; }

private:
    explicit Picture(IPicture* adopted) noexcept : m_picture(adopted) {}
    IPicture* m_picture = nullptr;
};

}  // namespace tw
