#include "scan/cimg.h"

#include <wincodec.h>
#include <cstring>
#include <string>
#include <vector>

#include "core/com.h"
#include "core/log.h"
#include "core/names.h"
#include "core/paths.h"
#include "core/picture.h"

namespace {

// The codec identifiers, spelt out here so that no library of identifiers has to hold them.
const GUID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const GUID kPixelBGRA = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};
const IID kExtractImage = {
    0xBB2E617C, 0x0920, 0x11D1, {0x9A, 0x0B, 0x00, 0xC0, 0x4F, 0xC2, 0xD6, 0xC1}};

// Frees an item identifier list the shell handed out.
struct ItemList {
    LPITEMIDLIST p = nullptr;
    ~ItemList() {
        if (p) CoTaskMemFree(p);
    }
};

bool Wide(const char* text, WCHAR* out, int size) {
    out[0] = L'\0';
    return MultiByteToWideChar(CP_ACP, 0, text, -1, out, size) > 0;
}

// The largest GIF read whole to find its first frame.
const size_t kLargestGif = 64u << 20;

}  // namespace

HBITMAP DecodeFitted(const char* path, int width, int height, HRESULT* result,
                     const std::vector<unsigned char>* bytes) {
    HRESULT hr = E_INVALIDARG;
    Bitmap bitmap;
    // A path longer than the plain calls take goes to the decoder in its "\\?\" form.
    std::wstring wide = path && PathUnits(path) > kShortPathUnits ? LongPath(path)
                                                                  : WideText(path);
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmapScaler> scaler;
    ComPtr<IWICFormatConverter> converter;
    UINT pw = 0, ph = 0;
    int fw = 0, fh = 0;
    void* bits = nullptr;
    BITMAPINFO info = {};
    if (wide.empty() || width <= 0 || height <= 0) goto done;
    hr = CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                          __uuidof(IWICImagingFactory), (void**)factory.out());
    if (FAILED(hr)) goto done;
    if (bytes) {
        hr = factory->CreateStream(stream.out());
        if (FAILED(hr)) goto done;
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes->data()), (DWORD)bytes->size());
        if (FAILED(hr)) goto done;
        hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.out());
    } else {
        hr = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.out());
    }
    if (FAILED(hr)) goto done;
    hr = decoder->GetFrame(0, frame.out());
    if (FAILED(hr)) goto done;
    hr = frame->GetSize(&pw, &ph);
    if (FAILED(hr)) goto done;
    FitWithin((int)pw, (int)ph, width, height, &fw, &fh);
    if (fw <= 0 || fh <= 0) {
        hr = E_FAIL;
        goto done;
    }
    hr = factory->CreateBitmapScaler(scaler.out());
    if (FAILED(hr)) goto done;
    hr = scaler->Initialize(frame.get(), (UINT)fw, (UINT)fh, WICBitmapInterpolationModeFant);
    if (FAILED(hr)) goto done;
    hr = factory->CreateFormatConverter(converter.out());
    if (FAILED(hr)) goto done;
    hr = converter->Initialize(scaler.get(), kPixelBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                               WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) goto done;
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = fw;
    info.bmiHeader.biHeight = -fh;  // top-down rows, as the converter delivers them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        hr = E_OUTOFMEMORY;
        goto done;
    }
    hr = converter->CopyPixels(nullptr, (UINT)fw * 4, (UINT)fw * 4 * (UINT)fh, (BYTE*)bits);
    if (FAILED(hr)) {
        bitmap.reset();
        goto done;
    }
    {
        // The window shows no transparency: a transparent part is laid on white.
        BYTE* p = (BYTE*)bits;
        for (size_t i = 0, n = (size_t)fw * fh; i < n; i++, p += 4) {
            unsigned a = p[3];
            if (a == 255) continue;
            for (int c = 0; c < 3; c++)
                p[c] = (BYTE)((p[c] * a + 255 * (255 - a)) / 255);
            p[3] = 255;
        }
    }
done:
    if (result) *result = hr;
    return bitmap.release();
}

CImg::CImg(FILE* log_stream) : log(log_stream) {
    if (log) log_line("%s\tCImg::CImg () OK ...\n", time_stamp());
}

CImg::~CImg() {
    Release();
    bitmap.reset();
    if (log) log_line("%s\tCImg::~CImg () OK ...\n", time_stamp());
}

void CImg::Release() {
    extractor.reset();
    folder.reset();
    desktop.reset();
}

void CImg::load_img(const char* folder_path, const char* file, int width, int height) {
    bitmap.reset();
    if (!folder_path || !file) return;
    HRESULT hr = SHGetDesktopFolder(desktop.out());
    if (FAILED(hr) || !desktop.get()) {
        desktop.reset();
        if (log)
            log_line("%s\tCImg::SHGetDesktopFolder () failed: 0x%08x\n", time_stamp(),
                     (unsigned)hr);
        return;
    }
    if (log) log_line("%s\tCImg::img_load (%s\\%s) GO ...\n", time_stamp(), folder_path, file);
    std::string path = std::string(folder_path) + "\\" + file;
    // A device or a pipe under a picture's name is handed to no decoder: its first read could
    // wait for good.
    if (OpensNoDiskFile(path.c_str())) {
        if (log)
            log_line("%s\tCImg::load_img (%s\\%s) refused: no file on a disk ...\n", time_stamp(),
                     folder_path, file);
        Release();
        return;
    }
    int pw = 0, ph = 0;
    bool known = PictureSize(path.c_str(), &pw, &ph);
    // A picture past the budget is never handed to a decoder, the shell's included: its
    // size comes from its header, and decoding it could take gigabytes and seconds.
    if (known && !WithinDecodeBudget(pw, ph)) {
        if (log)
            log_line("%s\tCImg::load_img (%s\\%s) refused: %d x %d pixels ...\n", time_stamp(),
                     folder_path, file, pw, ph);
        Release();
        return;
    }
    // A GIF's header gives only its screen; the decoder makes every frame at the frame's own
    // size. Only the first frame is decoded, from the file cut after it, and only when that
    // frame lies on the screen and within the budget.
    if (known && path.size() > 4 && _stricmp(path.c_str() + path.size() - 4, ".gif") == 0) {
        std::vector<unsigned char> whole, first;
        GifFrame frame = {};
        if (!ReadWholeFile(path.c_str(), kLargestGif, &whole) ||
            !GifFirstFrameOnly(whole, &first, &frame) ||
            !WithinDecodeBudget(frame.width, frame.height)) {
            if (log)
                log_line("%s\tCImg::load_img (%s\\%s) refused: its first frame is unfit ...\n",
                         time_stamp(), folder_path, file);
            Release();
            return;
        }
        bitmap.reset(DecodeFitted(path.c_str(), width, height, &hr, &first));
        if (log)
            log_line(bitmap ? "%s\tCImg::WIC (%s\\%s) OK ...\n" : "%s\tCImg::WIC (%s\\%s) failed ...\n",
                     time_stamp(), folder_path, file);
        Release();
        return;
    }
    // The shell's extractor takes no path longer than 259 characters: such a picture is
    // decoded by the imaging codecs alone, when its header gave its size.
    if (PathUnits(path) > kShortPathUnits) {
        if (known) bitmap.reset(DecodeFitted(path.c_str(), width, height, &hr));
        if (log)
            log_line(bitmap ? "%s\tCImg::WIC (%s\\%s) OK ...\n" : "%s\tCImg::WIC (%s\\%s) failed ...\n",
                     time_stamp(), folder_path, file);
        Release();
        return;
    }
    WCHAR wide_folder[264], wide_file[264];
    Wide(folder_path, wide_folder, 264);
    Wide(file, wide_file, 264);
    ItemList folder_list, file_list;
    do {
        hr = desktop->ParseDisplayName(nullptr, nullptr, wide_folder, nullptr, &folder_list.p,
                                       nullptr);
        if (FAILED(hr)) {
            if (log)
                log_line("%s\tCImg::ParseDisplayName (%s) failed: 0x%08x\n", time_stamp(),
                         folder_path, (unsigned)hr);
            break;
        }
        hr = desktop->BindToObject(folder_list.p, nullptr, IID_IShellFolder, (void**)folder.out());
        if (FAILED(hr)) {
            folder.reset();
            if (log)
                log_line("%s\tCImg::BindToObject () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
            break;
        }
        hr = folder->ParseDisplayName(nullptr, nullptr, wide_file, nullptr, &file_list.p, nullptr);
        if (FAILED(hr)) {
            if (log)
                log_line("%s\tCImg::ParseDisplayName (%s) failed: 0x%08x\n", time_stamp(), file,
                         (unsigned)hr);
            break;
        }
        LPCITEMIDLIST item = file_list.p;
        hr = folder->GetUIObjectOf(nullptr, 1, &item, kExtractImage, nullptr, (void**)extractor.out());
        if (FAILED(hr)) {
            extractor.reset();
            if (log)
                log_line("%s\tCImg::GetUIObjectOf () failed: 0x%08x\n", time_stamp(), (unsigned)hr);
            // No extractor for the file here: the imaging codecs decode the pictures whose
            // size the header told, which the budget above has passed.
            if (known) {
                bitmap.reset(DecodeFitted(path.c_str(), width, height, &hr));
                if (log) {
                    if (bitmap)
                        log_line("%s\tCImg::WIC (%s\\%s) OK ...\n", time_stamp(), folder_path,
                                 file);
                    else
                        log_line("%s\tCImg::WIC (%s\\%s) failed: 0x%08x\n", time_stamp(),
                                 folder_path, file, (unsigned)hr);
                }
            }
            break;
        }
        WCHAR location[520];
        DWORD priority = 0, flags = IEIFLAG_ASPECT;
        SIZE size = {width, height};
        hr = extractor->GetLocation(location, 520, &priority, &size, 16, &flags);
        if (FAILED(hr) && hr != E_PENDING) {
            if (log)
                log_line("%s\tCImg::GetLocation (%s) failed: 0x%08x\n", time_stamp(), folder_path,
                         (unsigned)hr);
            break;
        }
        hr = extractor->Extract(bitmap.out());
        if (FAILED(hr)) {
            // What a failed call left there is no bitmap of the program's.
            bitmap.release();
            if (log)
                log_line("%s\tCImg::Extract (%s) failed: 0x%08x\n", time_stamp(), folder_path,
                         (unsigned)hr);
            break;
        }
        if (log) log_line("%s\tCImg::load_img (%s\\%s) OK ...\n", time_stamp(), folder_path, file);
    } while (false);
    Release();
}
