#include "win/images.h"

#include <vector>

#include "text/wide.h"

namespace win {

namespace {

HBITMAP LoadResourceBitmap(const std::string& name) {
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), text::GbkToWide(name).c_str(), IMAGE_BITMAP, 0, 0, 0));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// Copies a bitmap into a rectangle of a DC, averaging the pixels it takes together (HALFTONE)
// instead of dropping some, so that a scaled image stays smooth.
void StretchSmoothly(HDC dc, const RECT& to, HBITMAP bitmap, SIZE from) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int mode = SetStretchBltMode(dc, HALFTONE);
    POINT origin;
    SetBrushOrgEx(dc, 0, 0, &origin);  // HALFTONE wants the brush origin set after the mode
    StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0, from.cx, from.cy, SRCCOPY);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    SetStretchBltMode(dc, mode);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

void ScaledImage::Load(const char* name, SIZE size_96, int dpi) {
    const std::vector<int> scales(std::begin(kImageScales), std::end(kImageScales));
    choice_ = ChooseImage(Extent{size_96.cx, size_96.cy}, dpi, scales);
    const std::string base = name;
    bitmap_.reset(LoadResourceBitmap(choice_.percent == 100 ? base : base + "_" + std::to_string(choice_.percent)));
    if (!bitmap_ && choice_.percent != 100) {  // that rendering is missing: the 100 % one, scaled
        choice_ = ChooseImage(Extent{size_96.cx, size_96.cy}, dpi, {100});
        bitmap_.reset(LoadResourceBitmap(base));
    }
}

void ScaledImage::Draw(HDC dc, const RECT& place) const {
    if (!bitmap_) return;
    const SIZE size = BitmapSize(bitmap_.get());
    const int left = place.left + (place.right - place.left - choice_.drawn.width) / 2;
    const int top = place.top + (place.bottom - place.top - choice_.drawn.height) / 2;
    if (size.cx == choice_.drawn.width && size.cy == choice_.drawn.height) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, bitmap_.get());
        BitBlt(dc, left, top, size.cx, size.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        return;
    }
    StretchSmoothly(dc, RECT{left, top, left + choice_.drawn.width, top + choice_.drawn.height}, bitmap_.get(), size);
}

Bitmap LoadPictureAt(const std::string& path, SIZE size) {
    const Bitmap file(static_cast<HBITMAP>(
        LoadImageW(nullptr, text::GbkToWide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    const SIZE from = BitmapSize(file.get());
    if (!file || from.cx <= 0 || from.cy <= 0 || size.cx <= 0 || size.cy <= 0) return Bitmap();
    HDC screen = GetDC(nullptr);
    Bitmap scaled(CreateCompatibleBitmap(screen, size.cx, size.cy));
    if (scaled) {
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, scaled.get());
        StretchSmoothly(dc, RECT{0, 0, size.cx, size.cy}, file.get(), from);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    return scaled;
}

Icon LoadProgramIcon(int size) {
    return Icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"FORM_APPICON", IMAGE_ICON, size, size, 0)));
}

}  // namespace win
