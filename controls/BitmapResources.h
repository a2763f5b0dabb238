#pragma once

#include <QPixmap>

// Bitmap resources compiled into the program, looked up by numeric id
// (336 add-files hover, 178 add-files normal, ..., 292 check-box strip,
// 266 application icon). A null pixmap when no bitmap has that id.
QPixmap LoadBitmapResource(unsigned id);
