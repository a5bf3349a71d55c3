// Owners for the drawing objects of the platform, used by every painter: an object made for
// one paint, its selection into a device context, and a memory device context.
#pragma once

#include <windows.h>

// A GDI object created for one paint, deleted when the holder goes. Holders of objects
// selected into the device context must be declared before the Selection that selects
// them, so that the old object is back in the context before the object is deleted.
class GdiObject {
  public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

  private:
    HGDIOBJ object_;
};

// Selects an object into the device context and selects the previous one back at the end.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (old_) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory device context compatible with `like` (none: the screen), deleted at the end.
// Selections into it are declared after it, so that they are undone before it goes.
class MemoryDC {
  public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};
