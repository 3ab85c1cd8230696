#include "Screenshot.h"

#include "DialogDriver.h"  // WaitUntil

#include <cstdint>
#include <fstream>
#include <memory>
#include <type_traits>
#include <vector>

namespace e2e {

namespace {

struct ScreenDcRelease {
    void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDelete {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDelete {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDelete>;

// Selects a bitmap into a device context for the object's lifetime.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(m_dc, m_previous); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Bottom-up 24-bit rows, each padded to four bytes, as a BMP file stores them.
BITMAPINFOHEADER PixelFormat(LONG width, LONG height)
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = DWORD((width * 3 + 3) / 4 * 4 * height);
    return header;
}

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const std::vector<std::uint8_t>& pixels)
{
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(pixels.data()), std::streamsize(pixels.size()));
    return bool(out.flush());
}

// The window's area on the screen, as BMP rows; false when it could not be copied.
bool Capture(HWND window, BITMAPINFOHEADER& header, std::vector<std::uint8_t>& pixels)
{
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top)
        return false;
    const LONG width = r.right - r.left;
    const LONG height = r.bottom - r.top;

    ScreenDc screen(GetDC(nullptr));
    MemoryDc memory(CreateCompatibleDC(screen.get()));
    Bitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap)
        return false;
    {
        Selection selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY))
            return false;
    }
    header = PixelFormat(width, height);
    pixels.assign(header.biSizeImage, 0);
    return GetDIBits(memory.get(), bitmap.get(), 0, UINT(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                     DIB_RGB_COLORS) == height;
}

bool IsOneColour(const BITMAPINFOHEADER& header, const std::vector<std::uint8_t>& pixels)
{
    const std::size_t stride = pixels.size() / std::size_t(header.biHeight);
    for (std::size_t row = 0; row < pixels.size(); row += stride)
        for (std::size_t at = row; at < row + std::size_t(header.biWidth) * 3; ++at)
            if (pixels[at] != pixels[(at - row) % 3])
                return false;
    return true;
}

}  // namespace

bool SaveWhenPainted(HWND painted, HWND area, const std::string& bmpPath, DWORD timeoutMs)
{
    // RedrawWindow would wait forever on a hung program.
    if (!SendMessageTimeoutA(painted, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, nullptr))
        return false;
    RedrawWindow(painted, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return WaitUntil([&] {
        BITMAPINFOHEADER header;
        std::vector<std::uint8_t> pixels;
        return Capture(area, header, pixels) && !IsOneColour(header, pixels) && WriteBmp(bmpPath, header, pixels);
    }, timeoutMs);
}

}  // namespace e2e
