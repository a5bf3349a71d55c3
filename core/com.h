// Owners for what the component library hands out: its use on a thread, and interfaces.
#pragma once

#include <objbase.h>

// One CoInitialize and its CoUninitialize for the life of the object. A thread that had the
// library already (S_FALSE) is paired as well; only a failure is not.
class ComScope {
  public:
    ComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool ok_;
};

// Releases one interface pointer at the end of its scope.
template <typename T> class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    // The place for a call that hands out an interface; one held before is released first.
    T** out() {
        reset();
        return &p_;
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};
