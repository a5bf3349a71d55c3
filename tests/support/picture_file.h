// Writes picture files through the platform's imaging encoders, for the tests and the
// benchmarks (header only, so that the benchmarks need no test library).
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tv {

// Writes a PNG (or a JPEG when `jpeg` is set) of w by h pixels whose colours `pixel` gives
// as 0x00RRGGBB. The caller has initialised COM on its thread. False when it cannot.
inline bool WritePictureFile(const std::string& path, int w, int h, bool jpeg,
                             const std::function<unsigned(int x, int y)>& pixel) {
    static const GUID kFactory = {
        0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
    static const GUID kPng = {
        0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
    static const GUID kJpeg = {
        0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
    static const GUID kBGR24 = {
        0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    bool ok = false;
    if (SUCCEEDED(CoCreateInstance(kFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IWICImagingFactory), (void**)&factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wide, GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(jpeg ? kJpeg : kPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize((UINT)w, (UINT)h))) {
        WICPixelFormatGUID format = kBGR24;
        frame->SetPixelFormat(&format);
        UINT stride = (UINT)(w * 3 + 3) & ~3u;
        std::vector<BYTE> row(stride);
        ok = true;
        // Row by row, so that a large picture needs no large buffer here.
        for (int y = 0; y < h && ok; y++) {
            for (int x = 0; x < w; x++) {
                unsigned rgb = pixel(x, y);
                row[x * 3] = (BYTE)(rgb & 0xFF);
                row[x * 3 + 1] = (BYTE)((rgb >> 8) & 0xFF);
                row[x * 3 + 2] = (BYTE)((rgb >> 16) & 0xFF);
            }
            ok = SUCCEEDED(frame->WritePixels(1, stride, stride, row.data()));
        }
        ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    return ok;
}

// The LZW image data of a GIF frame of `pixels` pixels all of colour 1, with a minimum code
// size of 2: the code size byte, the data in sub-blocks and the closing empty one. Every run
// of one colour is a new table entry one pixel longer, so the codes are run lengths.
inline std::vector<unsigned char> UniformGifData(size_t pixels) {
    const int clear = 4, end = 5;
    std::vector<unsigned char> bytes;
    unsigned long long bits = 0;
    int count = 0, width = 3, next = end + 1;
    size_t longest = 1;
    auto put = [&](int code) {
        bits |= (unsigned long long)code << count;
        count += width;
        while (count >= 8) {
            bytes.push_back((unsigned char)(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
        if (next >= (1 << width) && code <= 4095 && width < 12) width++;
    };
    auto reset = [&] {
        put(clear);
        width = 3;
        next = end + 1;
        longest = 1;
    };
    reset();
    for (size_t left = pixels; left;) {
        size_t run = left < longest ? left : longest;
        put(run == 1 ? 1 : clear + 2 + (int)(run - 2));
        left -= run;
        if (!left) break;
        if (next >= 4095) {
            reset();
        } else {
            next++;
            longest++;
        }
    }
    put(end);
    if (count) bytes.push_back((unsigned char)(bits & 0xFF));
    std::vector<unsigned char> data = {2};
    for (size_t at = 0; at < bytes.size(); at += 255) {
        size_t n = bytes.size() - at < 255 ? bytes.size() - at : 255;
        data.push_back((unsigned char)n);
        data.insert(data.end(), bytes.begin() + at, bytes.begin() + at + n);
    }
    data.push_back(0);
    return data;
}

// A GIF with a screen of sw x sh and frames of the given sizes at (0, 0), byte by byte. Each
// frame holds a tiny data block, or with `whole` its complete pixels, so that a decoder can
// decode it.
inline std::vector<unsigned char> CraftedGif(int sw, int sh,
                                             std::vector<std::pair<int, int>> frames,
                                             bool whole = false) {
    std::vector<unsigned char> g = {'G', 'I', 'F', '8', '9', 'a', (unsigned char)sw,
                                    (unsigned char)(sw >> 8), (unsigned char)sh,
                                    (unsigned char)(sh >> 8), 0x80, 0, 0};
    g.insert(g.end(), {0, 0, 0, 0x20, 0xC0, 0x20});             // two colours: black, green
    g.insert(g.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0});          // a control extension
    for (auto [w, h] : frames) {
        g.insert(g.end(), {0x2C, 0, 0, 0, 0, (unsigned char)w, (unsigned char)(w >> 8),
                           (unsigned char)h, (unsigned char)(h >> 8), 0});
        if (whole) {
            std::vector<unsigned char> data = UniformGifData((size_t)w * (size_t)h);
            g.insert(g.end(), data.begin(), data.end());
        } else {
            g.insert(g.end(), {2, 2, 0x4C, 0x01, 0});           // code size, one block, end
        }
    }
    g.push_back(0x3B);
    return g;
}

}  // namespace tv
