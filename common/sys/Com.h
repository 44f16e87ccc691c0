// A COM interface pointer released on scope exit (the shell link object and OLE pictures).
#pragma once
#include <objbase.h>

namespace tw {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For CoCreateInstance and QueryInterface: the slot the new reference goes into.
    void** Out() { return reinterpret_cast<void**>(&m_p); }
    // For calls that hand back a typed pointer.
    T** GetAddressOf() { return &m_p; }

private:
    T* m_p = nullptr;
};

}  // namespace tw
