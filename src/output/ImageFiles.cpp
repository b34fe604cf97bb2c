// Capture sizing and the BMP and PNG writers for pictures captured as device-independent bitmaps.
#include "output/ImageFiles.h"

#include "core/ReplacingFile.h"
#include "core/VornError.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <png.h>

namespace vorn {

namespace {

const char* const kSource = "Vorn";

// Integer halving that stops at 1, so a long thin capture keeps at least one pixel per side.
int HalfSide(int side) {
    return std::max(1, side / 2);
}

// The wanted size reshaped to the client's aspect ratio, each side kept at least 1 pixel.
CaptureSize FitAspect(int w, int h, int clientW, int clientH) {
    if (clientW <= 0 || clientH <= 0)
        return {w, h}; // nothing to fit to, and the ratio would divide by zero
    const long long cw = clientW, ch = clientH;
    if (cw * h > ch * w)
        h = static_cast<int>(w * ch / cw);
    else
        w = static_cast<int>(h * cw / ch);
    return {std::max(1, w), std::max(1, h)};
}

std::string ChangeCase(std::string text, int (*change)(int)) {
    for (char& c : text)
        c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return text;
}

// A picture the writers can take: 24 bits a pixel, a size, and all the rows its size implies.
bool IsWritable(const DibImage& image) {
    if (image.width < 1 || image.height < 1 || image.bitsPerPixel != 24)
        return false;
    if (image.width > (INT_MAX - 3) / 3)
        return false; // RowBytes() would overflow
    const auto size = static_cast<std::size_t>(image.RowBytes()) * std::size_t(image.height);
    return image.bits.size() >= size && size <= UINT32_MAX - 54;
}

void CheckWritable(const DibImage& image) {
    if (!IsWritable(image))
        VORN_RAISE(kSource, "Unable to write bitmap (invalid dib)");
}

void OpenOrRaise(ReplacingFile& file, const std::string& path) {
    if (!file.Open(path))
        VORN_RAISE(kSource, "Unable to open " + path + " for writing");
}

void CommitOrRaise(ReplacingFile& file, const std::string& path) {
    if (!file.Commit())
        VORN_RAISE(kSource, "Unable to write " + path);
}

void PutLe16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLe32(std::uint8_t* at, std::uint32_t value) {
    PutLe16(at, value);
    PutLe16(at + 2, value >> 16);
}

// The 14-byte file header followed by the 40-byte information header, all little-endian.
void FillBmpHeaders(std::uint8_t (&header)[54], const DibImage& image, std::uint32_t imageSize) {
    std::memset(header, 0, sizeof header);
    header[0] = 'B', header[1] = 'M';
    PutLe32(header + 2, 54 + imageSize); // file size
    PutLe32(header + 10, 54);            // offset of the pixels
    PutLe32(header + 14, 40);            // information header size
    PutLe32(header + 18, static_cast<std::uint32_t>(image.width));
    PutLe32(header + 22, static_cast<std::uint32_t>(image.height)); // positive: bottom row first
    PutLe16(header + 26, 1);                                        // planes
    PutLe16(header + 28, 24);                                       // bits per pixel
    PutLe32(header + 34, imageSize); // compression (30) none; resolutions and colours stay 0
}

// What the libpng run needs and what it reports. Plain data only: the run longjmps on errors, which
// must not skip any C++ destructor.
struct PngJob {
    std::FILE* file;
    const DibImage* image;
    char* title;
    std::uint8_t* row; // width × 3 bytes
    png_structp png;
    png_infop info;
    char message[256];
};

enum class PngResult { ok, noWriteStruct, noInfoStruct, libpngError };

// libpng's error callback: keeps the message and returns to the setjmp point in RunPng.
void OnPngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void SetPngText(PngJob* job) {
    static char titleKey[] = "Title", authorKey[] = "Author", author[] = "Vorn";
    png_text text[2] = {};
    text[0].compression = text[1].compression = PNG_TEXT_COMPRESSION_NONE;
    text[0].key = titleKey, text[0].text = job->title;
    text[1].key = authorKey, text[1].text = author;
    png_set_text(job->png, job->info, text, 2);
}

// PNG wants the top row first and red before blue; the bitmap keeps the bottom row first, BGR.
void WritePngRows(PngJob* job) {
    const DibImage& image = *job->image;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* bgr = image.Row(y);
        for (int x = 0; x < image.width; ++x) {
            job->row[3 * x] = bgr[3 * x + 2];
            job->row[3 * x + 1] = bgr[3 * x + 1];
            job->row[3 * x + 2] = bgr[3 * x];
        }
        png_write_row(job->png, job->row);
    }
}

// The whole libpng run. No C++ object lives in this frame, so the longjmp from OnPngError is safe;
// the caller destroys the structures and raises.
PngResult RunPng(PngJob* job) {
    job->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, job, OnPngError, nullptr);
    if (!job->png)
        return PngResult::noWriteStruct;
    job->info = png_create_info_struct(job->png);
    if (!job->info)
        return PngResult::noInfoStruct;
    if (setjmp(png_jmpbuf(job->png)))
        return PngResult::libpngError;
    png_init_io(job->png, job->file);
    png_set_IHDR(job->png, job->info, static_cast<png_uint_32>(job->image->width),
                 static_cast<png_uint_32>(job->image->height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    SetPngText(job);
    png_write_info(job->png, job->info);
    WritePngRows(job);
    png_write_end(job->png, job->info);
    return PngResult::ok;
}

void RaiseForPng(PngResult result, const PngJob& job) {
    switch (result) {
    case PngResult::ok:
        return;
    case PngResult::noWriteStruct:
        VORN_RAISE(kSource, "Unable to initialize PNG data");
    case PngResult::noInfoStruct:
        VORN_RAISE(kSource, "Unable to write png file (png_create_info_struct)");
    case PngResult::libpngError:
        VORN_RAISE(kSource, job.message);
    }
}

std::vector<std::uint8_t> RowBuffer(int width) try {
    return std::vector<std::uint8_t>(std::size_t(width) * 3);
} catch (const std::bad_alloc&) {
    VORN_RAISE(kSource, "Unable to write png file (insufficient memory)");
}

} // namespace

CaptureSize FitCaptureSize(int wantedW, int wantedH, int clientW, int clientH, int memoryLimitKb) {
    const int w = std::clamp(wantedW, 1, kMaxCaptureSide);
    const int h = std::clamp(wantedH, 1, kMaxCaptureSide);
    CaptureSize size = FitAspect(w, h, clientW, clientH);
    if (memoryLimitKb <= 0)
        return size;
    const long long limitBytes = memoryLimitKb * 1024LL;
    while (3LL * size.width * size.height > limitBytes && (size.width > 1 || size.height > 1))
        size = {HalfSide(size.width), HalfSide(size.height)};
    return size;
}

std::string WithExtension(const std::string& path, const std::string& ext) {
    const std::string lower = ChangeCase(ext, std::tolower);
    const std::string upper = ChangeCase(ext, std::toupper);
    if (path.find(lower) != std::string::npos || path.find(upper) != std::string::npos)
        return path;
    return path + lower;
}

void WriteBmpFile(const std::string& path, const DibImage& image) {
    CheckWritable(image);
    const auto imageSize =
        static_cast<std::uint32_t>(image.RowBytes()) * static_cast<std::uint32_t>(image.height);
    std::uint8_t header[54];
    FillBmpHeaders(header, image, imageSize);
    ReplacingFile file;
    OpenOrRaise(file, path);
    if (std::fwrite(header, 1, sizeof header, file.File()) != sizeof header ||
        std::fwrite(image.bits.data(), 1, imageSize, file.File()) != imageSize)
        VORN_RAISE(kSource, "Unable to write " + path);
    CommitOrRaise(file, path);
}

void WritePngFile(const std::string& path, const DibImage& image, const std::string& title) {
    CheckWritable(image);
    std::vector<std::uint8_t> row = RowBuffer(image.width);
    std::string titleText = title; // libpng takes the text as char*, and copies it
    ReplacingFile file;
    OpenOrRaise(file, path);
    PngJob job{file.File(), &image, &titleText[0], row.data(), nullptr, nullptr, {}};
    const PngResult result = RunPng(&job);
    png_destroy_write_struct(&job.png, &job.info);
    RaiseForPng(result, job);
    CommitOrRaise(file, path);
}

} // namespace vorn
