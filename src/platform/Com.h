#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

#include "framework/Messages.h"

// The component-object core the shell namespace is built on: result codes,
// interface ids, the IUnknown contract and a smart pointer that holds one
// reference. Objects are reference counted; the last Release frees them.
// Nothing here is thread-aware beyond atomic reference counts: namespace
// objects are used on the user-interface thread.

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LPARAM = std::intptr_t;
using HWND = WindowHandle;  // 0 names no window

// Wide-text slots of the interfaces carry UTF-8 bytes on Linux (the system
// code page), so names with bytes that are not UTF-8 pass through unchanged.
using OLECHAR = char;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);  // the person cancelled
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// A C library failure as a result code: 0x80070000 | errno.
constexpr HRESULT HResultFromErrno(int error) {
    return static_cast<HRESULT>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

// The system's text for a code this layer produces: a fixed text for the named
// codes (E_INVALIDARG and E_OUTOFMEMORY included, although they fall inside
// the errno range), strerror for errno codes, "Unknown error 0x........"
// otherwise.
std::string SysErrorMessage(HRESULT code);

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using REFIID = const IID&;

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
  public:
    // On success *object holds an added reference the caller releases; on
    // E_NOINTERFACE *object is null.
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

// The IUnknown part of an object that implements one interface: it answers
// IID_IUnknown and `kIid`, counts references from `initial` and deletes
// itself on its last Release.
template <class Interface, const IID& kIid>
class TComObject : public Interface {
  public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!(iid == IID_IUnknown || iid == kIid))
            return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    explicit TComObject(ULONG initial) : references_(initial) {}

  private:
    std::atomic<ULONG> references_;
};

// COM initialisation of the user-interface thread. Nothing needs setting up on
// Linux; the calls exist so that start-up and shut-down read as they should.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Holds one reference to an interface. Assigning a raw pointer takes over a
// reference the caller already owns (as returned through an out-parameter).
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* owned) : ptr_(owned) {}
    ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
        if (ptr_)
            ptr_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }

    // Adds a reference to a pointer the caller keeps.
    static ComPtr Share(T* borrowed) {
        if (borrowed)
            borrowed->AddRef();
        return ComPtr(borrowed);
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases the held reference and returns the slot for an out-parameter.
    T** Put() {
        Reset();
        return &ptr_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (T* old = std::exchange(ptr_, nullptr))
            old->Release();
    }

    // QueryInterface for another interface; null when the object lacks it.
    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> result;
        if (ptr_)
            ptr_->QueryInterface(iid, result.PutVoid());
        return result;
    }

  private:
    T* ptr_ = nullptr;
};
