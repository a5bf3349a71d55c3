// Thumbnails of files: the shell's extractor, and the platform's imaging codecs where the
// shell has none for the file.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <vector>

#include "core/com.h"
#include "core/handles.h"

class CImg {
  public:
    explicit CImg(FILE* log);
    ~CImg();
    CImg(const CImg&) = delete;
    CImg& operator=(const CImg&) = delete;

    // Loads the thumbnail of folder\file fitted into width by height (keeping the
    // proportions, never larger than the picture) into `bitmap`; none when it cannot.
    void load_img(const char* folder, const char* file, int width, int height);

    FILE* log;
    Bitmap bitmap;
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> folder;
    ComPtr<IExtractImage> extractor;

  private:
    void Release();
    // In use from before the constructor's body to after the destructor's, which releases
    // every interface first.
    ComScope com_;
};

// Decodes the picture file with the imaging codecs, scaled to fit width by height (never
// enlarged), into a 32-bit bitmap; transparent parts are laid on white. None on failure,
// with the failing result in *result.
// With `bytes`, the picture is decoded from those bytes (the file as cut for decoding).
HBITMAP DecodeFitted(const char* path, int width, int height, HRESULT* result,
                     const std::vector<unsigned char>* bytes = nullptr);
