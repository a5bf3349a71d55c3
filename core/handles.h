// Owners for the handles the platform hands out: each handle is closed by the one object that
// holds it, when that object goes or is given another handle. A holder can be moved, never
// copied, so no handle has two owners.
#pragma once

#include <windows.h>
#include <utility>

template <typename T, typename Closer> class Owned {
  public:
    Owned() = default;
    explicit Owned(T handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return handle_; }
    explicit operator bool() const { return Closer::valid(handle_); }
    // Hands the handle on to a new owner; this holder is left empty.
    T release() {
        T handle = handle_;
        handle_ = Closer::none();
        return handle;
    }
    // Closes the handle held and takes the one given.
    void reset(T handle = Closer::none()) {
        if (Closer::valid(handle_)) Closer::close(handle_);
        handle_ = handle;
    }
    // The place for a call that hands out a handle; one held before is closed first.
    T* out() {
        reset();
        return &handle_;
    }

  private:
    T handle_ = Closer::none();
};

// Kernel objects: threads, processes, events and files. A file that did not open is
// INVALID_HANDLE_VALUE, a thread or event that was not made is null; neither is closed.
struct KernelCloser {
    static HANDLE none() { return nullptr; }
    static bool valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using Handle = Owned<HANDLE, KernelCloser>;

// A search begun by FindFirstFile.
struct FindCloser {
    static HANDLE none() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
using FindHandle = Owned<HANDLE, FindCloser>;

struct RegCloser {
    static HKEY none() { return nullptr; }
    static bool valid(HKEY k) { return k != nullptr; }
    static void close(HKEY k) { RegCloseKey(k); }
};
using RegKey = Owned<HKEY, RegCloser>;

// Global memory, freed unless it was handed to the clipboard (release it then).
struct GlobalCloser {
    static HGLOBAL none() { return nullptr; }
    static bool valid(HGLOBAL g) { return g != nullptr; }
    static void close(HGLOBAL g) { GlobalFree(g); }
};
using GlobalBlock = Owned<HGLOBAL, GlobalCloser>;

struct ModuleCloser {
    static HMODULE none() { return nullptr; }
    static bool valid(HMODULE m) { return m != nullptr; }
    static void close(HMODULE m) { FreeLibrary(m); }
};
using Module = Owned<HMODULE, ModuleCloser>;

// Fonts, bitmaps and brushes kept beyond one paint.
template <typename T> struct GdiCloser {
    static T none() { return nullptr; }
    static bool valid(T o) { return o != nullptr; }
    static void close(T o) { DeleteObject(o); }
};
using Font = Owned<HFONT, GdiCloser<HFONT>>;
using Bitmap = Owned<HBITMAP, GdiCloser<HBITMAP>>;

struct IconCloser {
    static HICON none() { return nullptr; }
    static bool valid(HICON i) { return i != nullptr; }
    static void close(HICON i) { DestroyIcon(i); }
};
using Icon = Owned<HICON, IconCloser>;
