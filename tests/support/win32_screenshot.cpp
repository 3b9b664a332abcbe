#include "win32_screenshot.h"

#include <windows.h>

#include <fstream>
#include <vector>

#include "win32_test_handles.h"

namespace kestrine::e2e {

namespace {

// The screen's device context, released with the owner.
class ScreenContext {
public:
    ScreenContext() : dc_(GetDC(nullptr)) {}
    ~ScreenContext() {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

void deleteContext(HDC dc) { DeleteDC(dc); }
using UniqueMemoryContext = UniqueOwner<HDC, deleteContext, handle_kinds::isNonNull<HDC>>;

// The screen's pixels in `area` as 24-bit bottom-up rows, each padded to 4 bytes; empty when
// they could not be copied.
struct ScreenPixels {
    BITMAPINFOHEADER header{};
    DWORD rowBytes = 0;
    std::vector<char> pixels;
};

ScreenPixels screenPixels(const RECT& area) {
    ScreenPixels shot;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const ScreenContext screen;
    const UniqueMemoryContext memory(CreateCompatibleDC(screen.get()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (screen.get() == nullptr || !memory || !bitmap) return shot;
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY) != FALSE;
    SelectObject(memory.get(), previous);
    if (!copied) return shot;

    BITMAPINFOHEADER& header = shot.header;
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up rows, as a BMP file keeps them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    shot.rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    shot.pixels.resize(static_cast<std::size_t>(shot.rowBytes) * static_cast<std::size_t>(height));
    if (GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), shot.pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) != height)
        shot.pixels.clear();
    return shot;
}

}  // namespace

int countScreenPixels(const RECT& area, COLORREF color) {
    const ScreenPixels shot = screenPixels(area);
    int count = 0;
    for (std::size_t row = 0; !shot.pixels.empty() && row < static_cast<std::size_t>(shot.header.biHeight); ++row)
        for (std::size_t x = 0; x < static_cast<std::size_t>(shot.header.biWidth); ++x) {
            const char* pixel = &shot.pixels[row * shot.rowBytes + x * 3];  // blue, green, red
            const auto byte = [pixel](int i) { return static_cast<BYTE>(pixel[i]); };
            if (RGB(byte(2), byte(1), byte(0)) == color) ++count;
        }
    return count;
}

bool saveScreenshot(const std::string& path) {
    return saveScreenshot(path, {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool saveScreenshot(const std::string& path, const RECT& area) {
    const ScreenPixels shot = screenPixels(area);
    if (shot.pixels.empty()) return false;
    const BITMAPINFOHEADER& header = shot.header;
    const std::vector<char>& pixels = shot.pixels;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

}  // namespace kestrine::e2e
