#pragma once

#include <QColor>
#include <QPixmap>

// Bitmap resources compiled into the program, looked up by numeric id
// (336 add-files hover, 178 add-files normal, ..., 292 check-box strip,
// 266 application icon). A null pixmap when no bitmap has that id.
QPixmap LoadBitmapResource(unsigned id);

// The same bitmap drawn for a screen of devicePixelRatio (<id>@2x.png, with
// that ratio set, for a ratio above 1 where one was drawn); the 1x bitmap
// otherwise. Either way it covers the same logical size.
QPixmap LoadBitmapResource(unsigned id, qreal devicePixelRatio);

// The colour that stands for "transparent" in strips of small images.
inline constexpr QRgb kMaskColour = qRgb(255, 0, 255);

// Image `index` of a strip of `width`-pixel wide images laid side by side,
// with every pixel of the mask colour made transparent. A null pixmap when
// the strip is null or has no such image.
QPixmap StripImage(const QPixmap& strip, int index, int width, QRgb mask = kMaskColour);

// Ids of the check-box strip and of the application icon.
inline constexpr unsigned kCheckBoxStripId = 292;
inline constexpr unsigned kApplicationIconId = 266;

// The two faces of each bitmap button of the main window: under the
// pointer, and at rest (also shown while pressed).
struct ButtonFaceIds {
    unsigned hover;
    unsigned normal;
};
inline constexpr ButtonFaceIds kAddFilesFace{336, 178};
inline constexpr ButtonFaceIds kRemoveFace{343, 331};
inline constexpr ButtonFaceIds kRemoveAllFace{341, 214};
inline constexpr ButtonFaceIds kStartFace{345, 295};
inline constexpr ButtonFaceIds kOpenFolderFace{340, 268};
inline constexpr ButtonFaceIds kBrowseFace{337, 335};
