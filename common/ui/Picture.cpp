// Picture: an OLE picture object that owns one icon or bitmap handle. Copies share the
// object through COM reference counting; the last Release destroys the handle.
#include "Picture.h"

#include <utility>

namespace tw {
namespace {

// OleCreatePictureIndirect with fOwn TRUE: the picture destroys the handle when its last
// reference goes. On failure the handle is still ours, so the caller destroys it.
IPicture* CreateOwningPicture(PICTDESC& description) {
    IPicture* picture = nullptr;
    HRESULT hr = OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                          reinterpret_cast<void**>(&picture));
    if (FAILED(hr)) return nullptr;
    return picture;
}

// OLE_HANDLE is 32 bits even in a 64-bit process; user and GDI handles are sign-extended
// 32-bit values there (the rule of LongToHandle), so widen it the same way.
HANDLE WidenHandle(OLE_HANDLE handle) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

}  // namespace

Picture::Picture(const Picture& other) noexcept : m_picture(other.m_picture) {
    if (m_picture) m_picture->AddRef();
}

Picture& Picture::operator=(const Picture& other) noexcept {
    if (other.m_picture) other.m_picture->AddRef();
    IPicture* old = std::exchange(m_picture, other.m_picture);
    if (old) old->Release();
    return *this;
}

Picture::Picture(Picture&& other) noexcept : m_picture(std::exchange(other.m_picture, nullptr)) {}

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        IPicture* old = std::exchange(m_picture, std::exchange(other.m_picture, nullptr));
        if (old) old->Release();
    }
    return *this;
}

Picture::~Picture() {
    if (m_picture) m_picture->Release();
}

Picture IconToPicture(HICON icon) {
    if (!icon) return Picture();
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon;
    IPicture* picture = CreateOwningPicture(description);
    if (!picture) DestroyIcon(icon);
    return Picture(picture);
}

Picture Picture::FromBitmap(HBITMAP bitmap) {
    if (!bitmap) return Picture();
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = nullptr;
    IPicture* picture = CreateOwningPicture(description);
    if (!picture) DeleteObject(bitmap);
    return Picture(picture);
}

bool Picture::IsIcon() const {
    if (!m_picture) return false;
    SHORT type = PICTYPE_NONE;
    return SUCCEEDED(m_picture->get_Type(&type)) && type == PICTYPE_ICON;
}

HANDLE Picture::Handle() const {
    if (!m_picture) return nullptr;
    OLE_HANDLE handle = 0;
    if (FAILED(m_picture->get_Handle(&handle))) return nullptr;
    return WidenHandle(handle);
}

HICON Picture::Icon() const {
    return IsIcon() ? static_cast<HICON>(Handle()) : nullptr;
}

HBITMAP Picture::Bitmap() const {
    if (!m_picture) return nullptr;
    SHORT type = PICTYPE_NONE;
    if (FAILED(m_picture->get_Type(&type)) || type != PICTYPE_BITMAP) return nullptr;
    return static_cast<HBITMAP>(Handle());
}

}  // namespace tw
