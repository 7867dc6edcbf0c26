// Images at the DPI of a window: the program's image resources, rendered from their drawings at
// 100 %, 150 % and 200 % (resource names NAME, NAME_150, NAME_200), of which the one nearest to the
// window's scale is drawn; the program's icon from its many sizes; and a user's picture file,
// scaled smoothly to the size it is shown at.
#pragma once

#include <windows.h>

#include <string>

#include "win/handles.h"
#include "win/screen_geometry.h"

namespace win {

// The scales the image resources are rendered at, in percent.
constexpr int kImageScales[] = {100, 150, 200};

class ScaledImage {
public:
    // The rendering of resource `name` nearest to `dpi`, for a place of size_96 at 96 DPI.
    void Load(const char* name, SIZE size_96, int dpi);
    // Draws the image into its place (pixels of the DPI it was loaded for): as it was rendered when
    // that fits, else stretched smoothly (never by more than 1.5) and centred in the place.
    void Draw(HDC dc, const RECT& place) const;
    HBITMAP get() const { return bitmap_.get(); }
    const ImageChoice& choice() const { return choice_; }

private:
    Bitmap bitmap_;
    ImageChoice choice_;
};

// A bitmap file (GBK path) scaled smoothly to `size` pixels; none when the file does not load.
Bitmap LoadPictureAt(const std::string& path, SIZE size);

// The program's icon "FORM_APPICON" at `size` pixels, taken from the icon's image of that size
// (16, 20, 24, 32, 40, 48, 64 and 256 are there) or the nearest.
Icon LoadProgramIcon(int size);

}  // namespace win
