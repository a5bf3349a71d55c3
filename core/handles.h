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

// A handle that is null when there is none, closed by the one call given.
template <typename T, auto Close> struct NullCloser {
    static T none() { return nullptr; }
    static bool valid(T h) { return h != nullptr; }
    static void close(T h) { Close(h); }
};

using RegKey = Owned<HKEY, NullCloser<HKEY, RegCloseKey>>;
// Global memory, freed unless it was handed to the clipboard (release it then).
using GlobalBlock = Owned<HGLOBAL, NullCloser<HGLOBAL, GlobalFree>>;
using Module = Owned<HMODULE, NullCloser<HMODULE, FreeLibrary>>;
// Fonts and bitmaps kept beyond one paint.
using Font = Owned<HFONT, NullCloser<HFONT, DeleteObject>>;
using Bitmap = Owned<HBITMAP, NullCloser<HBITMAP, DeleteObject>>;
using Icon = Owned<HICON, NullCloser<HICON, DestroyIcon>>;
