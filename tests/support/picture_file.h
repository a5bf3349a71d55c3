// Writes picture files through the platform's imaging encoders, for the tests and the
// benchmarks (header only, so that the benchmarks need no test library).
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <functional>
#include <string>
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

}  // namespace tv
