// Owners for Win32 handles. Each releases its handle exactly once, on every
// path out of the scope that holds it; none can be copied, all can be moved.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <utility>

namespace win {

// A handle with a release function and a value that means "none".
template <typename H, typename Traits>
class Owned {
  public:
    Owned() = default;
    explicit Owned(H handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~Owned() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::none(); }
    H release() { return std::exchange(handle_, Traits::none()); }
    void reset(H handle = Traits::none()) {
        const H old = std::exchange(handle_, handle);
        if (old != Traits::none())
            Traits::close(old);
    }

  private:
    H handle_ = Traits::none();
};

struct FileHandleTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
// A kernel object whose "none" is null (events, threads), unlike a file's.
struct KernelHandleTraits {
    static HANDLE none() { return nullptr; }
    static void close(HANDLE h) { CloseHandle(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ none() { return nullptr; }
    static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct BitmapTraits {
    static HBITMAP none() { return nullptr; }
    static void close(HBITMAP h) { DeleteObject(h); }
};
struct FontTraits {
    static HFONT none() { return nullptr; }
    static void close(HFONT h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    static HDC none() { return nullptr; }
    static void close(HDC h) { DeleteDC(h); }
};
struct MenuTraits {
    static HMENU none() { return nullptr; }
    static void close(HMENU h) { DestroyMenu(h); }
};
struct ImageListTraits {
    static HIMAGELIST none() { return nullptr; }
    static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
struct ModuleTraits {
    static HMODULE none() { return nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};
struct GlobalMemoryTraits {
    static HGLOBAL none() { return nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};
struct FindTraits {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
struct HookTraits {
    static HHOOK none() { return nullptr; }
    static void close(HHOOK h) { UnhookWindowsHookEx(h); }
};
// Memory the shell or COM hands over (an item id list, a string).
struct CoTaskMemoryTraits {
    static void* none() { return nullptr; }
    static void close(void* p) { CoTaskMemFree(p); }
};
struct BstrTraits {
    static BSTR none() { return nullptr; }
    static void close(BSTR s) { SysFreeString(s); }
};
struct StdioTraits {
    static FILE* none() { return nullptr; }
    static void close(FILE* f) { std::fclose(f); }
};

using FileHandle = Owned<HANDLE, FileHandleTraits>;
using KernelHandle = Owned<HANDLE, KernelHandleTraits>;
using GdiObject = Owned<HGDIOBJ, GdiObjectTraits>;
using Bitmap = Owned<HBITMAP, BitmapTraits>;
using Font = Owned<HFONT, FontTraits>;
using MemoryDc = Owned<HDC, MemoryDcTraits>;  // from CreateCompatibleDC / CreateDC
using Menu = Owned<HMENU, MenuTraits>;
using ImageList = Owned<HIMAGELIST, ImageListTraits>;
using Module = Owned<HMODULE, ModuleTraits>;
using StdioFile = Owned<FILE*, StdioTraits>;
using GlobalMemory = Owned<HGLOBAL, GlobalMemoryTraits>;  // released to the clipboard on success
using FindHandle = Owned<HANDLE, FindTraits>;             // FindFirstFile
using Hook = Owned<HHOOK, HookTraits>;
using CoTaskMemory = Owned<void*, CoTaskMemoryTraits>;  // e.g. SHBrowseForFolder's PIDL
using Bstr = Owned<BSTR, BstrTraits>;

// A COM interface pointer: one reference, released once.
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the functions that hand out a new reference.
    T** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }

  private:
    T* p_ = nullptr;
};

// A VARIANT, cleared once.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT& get() { return v_; }
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

// GetDC / ReleaseDC: the release needs the window the DC came from.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit,
// so that the selected object can be deleted afterwards.
class SelectGuard {
  public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace win
