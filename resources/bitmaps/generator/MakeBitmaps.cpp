// Draws the program's bitmaps and writes them as <id>.png into a folder
// (the source folder resources/bitmaps unless another is given), the button
// faces a second time at twice the size as <id>@2x.png for high-density
// screens, and the application icon at the desktop's icon sizes as
// <size>x<size>/FennexAVConverter.png (into resources/desktop/icons, or the
// folder "icons" of the folder given).
//
// Every command button comes as a pair: the normal face and the hover face,
// which is the same drawing with a lighter, glossier fill. The faces sit on
// the main window's light blue (187,222,251); their corners are transparent.
// They carry no text: the button draws its caption, in the window's
// language, into the free part of the face (controls/ButtonCaption.cpp says
// where, and in which font).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

struct Look {
    bool hover = false;
    int scale = 1;  // device pixels per pixel of the drawing
};

// A transparent picture of width x height drawing pixels; a painter on it
// works in drawing pixels at any scale.
QImage Blank(int width, int height, int scale = 1)
{
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

// A rounded plate with a vertical gradient, a thin border and, on the hover
// face, a glossy band over its upper half.
void DrawPlate(QPainter& p, const QRectF& box, qreal radius, const Look& look)
{
    const QRectF plate = box.adjusted(1, 1, -1, -1);
    // Soft shadow under the plate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 60, 110, look.hover ? 60 : 45));
    p.drawRoundedRect(plate.translated(0, 1.2), radius, radius);

    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    if (look.hover) {
        fill.setColorAt(0.0, QColor(255, 255, 255));
        fill.setColorAt(0.5, QColor(236, 246, 255));
        fill.setColorAt(0.51, QColor(214, 236, 255));
        fill.setColorAt(1.0, QColor(196, 228, 255));
    } else {
        fill.setColorAt(0.0, QColor(250, 252, 255));
        fill.setColorAt(1.0, QColor(212, 230, 248));
    }
    p.setBrush(fill);
    p.setPen(QPen(look.hover ? QColor(52, 140, 228) : QColor(96, 146, 202), 1.2));
    p.drawRoundedRect(plate, radius, radius);

    if (look.hover) {
        // Gloss: a bright, fading band over the top half.
        QRectF band = plate.adjusted(2, 2, -2, 0);
        band.setHeight(plate.height() * 0.46);
        QLinearGradient gloss(band.topLeft(), band.bottomLeft());
        gloss.setColorAt(0.0, QColor(255, 255, 255, 230));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(band, radius - 2, radius - 2);
    }
}

// The window gives its buttons slightly less room than their bitmaps, and a
// button cuts its face off at the right and bottom: the plates stay inside
// the room the window gives (47 rows for the list buttons, 32 x 63 for
// Browse), leaving the rest of the bitmap transparent.
const QRectF kListPlate(0, 0, 115, 47);
constexpr int kSmallPlateHeight = 32;

// A film frame: a dark strip with sprocket holes above and below and a
// light picture in the middle.
void DrawFilm(QPainter& p, const QRectF& box, const Look& look)
{
    QLinearGradient strip(box.topLeft(), box.bottomLeft());
    strip.setColorAt(0, look.hover ? QColor(84, 96, 112) : QColor(64, 74, 88));
    strip.setColorAt(1, look.hover ? QColor(48, 56, 68) : QColor(34, 40, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(strip);
    p.drawRoundedRect(box, 3, 3);

    const qreal hole = box.width() / 9.0;
    p.setBrush(QColor(236, 244, 252));
    for (int i = 0; i < 4; ++i) {
        const qreal x = box.left() + hole * (1 + 2 * i);
        p.drawRoundedRect(QRectF(x, box.top() + 2, hole, hole * 0.9), 1, 1);
        p.drawRoundedRect(QRectF(x, box.bottom() - 2 - hole * 0.9, hole, hole * 0.9), 1, 1);
    }
    const QRectF picture(box.left() + 3, box.top() + hole + 4, box.width() - 6,
                         box.height() - 2 * hole - 8);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, look.hover ? QColor(144, 214, 255) : QColor(110, 190, 245));
    sky.setColorAt(1, look.hover ? QColor(70, 160, 240) : QColor(44, 132, 220));
    p.setBrush(sky);
    p.drawRect(picture);
    // A small hill, so the frame reads as a picture.
    QPainterPath hill;
    hill.moveTo(picture.bottomLeft());
    hill.quadTo(picture.left() + picture.width() * 0.35, picture.top() + picture.height() * 0.35,
                picture.left() + picture.width() * 0.7, picture.bottom());
    hill.closeSubpath();
    p.setBrush(QColor(60, 170, 90));
    p.drawPath(hill);
}

// A round badge with a plus sign.
void DrawPlusBadge(QPainter& p, const QPointF& centre, qreal radius, const Look& look)
{
    QRadialGradient ball(centre - QPointF(radius * 0.3, radius * 0.4), radius * 1.4);
    ball.setColorAt(0, look.hover ? QColor(140, 236, 120) : QColor(110, 214, 96));
    ball.setColorAt(1, look.hover ? QColor(40, 170, 50) : QColor(30, 140, 40));
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(ball);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(Qt::white, radius * 0.36, Qt::SolidLine, Qt::RoundCap));
    const qreal arm = radius * 0.5;
    p.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
    p.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
}

// A bold red cross with a darker rim.
void DrawRedCross(QPainter& p, const QPointF& centre, qreal half, const Look& look)
{
    const QPointF a(half, half);
    const QPointF b(half, -half);
    const qreal width = half * 0.62;
    p.setPen(QPen(QColor(140, 10, 10), width + 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - a, centre + a);
    p.drawLine(centre - b, centre + b);
    const QColor red = look.hover ? QColor(255, 70, 60) : QColor(222, 36, 30);
    p.setPen(QPen(red, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - a, centre + a);
    p.drawLine(centre - b, centre + b);
    // A light streak along the strokes gives them some depth.
    p.setPen(QPen(QColor(255, 190, 180, look.hover ? 200 : 140), width * 0.25, Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(centre - a * 0.8 - QPointF(0, width * 0.2),
               centre + a * 0.8 - QPointF(0, width * 0.2));
    p.drawLine(centre - b * 0.8 - QPointF(0, width * 0.2),
               centre + b * 0.8 - QPointF(0, width * 0.2));
}

// A sheet of paper, for "all files" behind the cross.
void DrawSheet(QPainter& p, const QRectF& box)
{
    p.setPen(QPen(QColor(110, 130, 160), 1));
    p.setBrush(QColor(255, 255, 255));
    QPainterPath sheet;
    const qreal fold = box.width() * 0.3;
    sheet.moveTo(box.topLeft());
    sheet.lineTo(box.right() - fold, box.top());
    sheet.lineTo(box.right(), box.top() + fold);
    sheet.lineTo(box.bottomRight());
    sheet.lineTo(box.bottomLeft());
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setPen(QPen(QColor(170, 186, 208), 1.4));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = box.top() + box.height() * (0.25 + 0.2 * i);
        p.drawLine(QPointF(box.left() + 3, y), QPointF(box.right() - 3, y));
    }
}

// A small yellow folder.
void DrawFolder(QPainter& p, const QRectF& box, const Look& look)
{
    QPainterPath back;
    back.moveTo(box.left(), box.top() + 2);
    back.lineTo(box.left() + box.width() * 0.38, box.top() + 2);
    back.lineTo(box.left() + box.width() * 0.48, box.top() + box.height() * 0.22);
    back.lineTo(box.right(), box.top() + box.height() * 0.22);
    back.lineTo(box.bottomRight());
    back.lineTo(box.bottomLeft());
    back.closeSubpath();
    p.setPen(QPen(QColor(176, 120, 20), 1));
    p.setBrush(QColor(232, 172, 48));
    p.drawPath(back);
    QLinearGradient front(box.topLeft(), box.bottomLeft());
    front.setColorAt(0, look.hover ? QColor(255, 232, 140) : QColor(255, 216, 100));
    front.setColorAt(1, look.hover ? QColor(250, 196, 64) : QColor(238, 178, 40));
    p.setBrush(front);
    p.drawRect(
        QRectF(box.left(), box.top() + box.height() * 0.36, box.width(), box.height() * 0.64));
}

// The caption goes to the right of the icon, in x 50 to 110.
QImage ListButton(const Look& look, const std::function<void(QPainter&)>& icon)
{
    QImage image = Blank(115, 52, look.scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, kListPlate, 9, look);
    icon(p);
    return image;
}

QImage AddButton(const Look& look)
{
    return ListButton(look, [&](QPainter& p) {
        DrawFilm(p, QRectF(11, 7, 31, 31), look);
        DrawPlusBadge(p, QPointF(40, 33), 8.5, look);
    });
}

QImage RemoveButton(const Look& look)
{
    return ListButton(look, [&](QPainter& p) { DrawRedCross(p, QPointF(28, 23.5), 10.5, look); });
}

QImage RemoveAllButton(const Look& look)
{
    return ListButton(look, [&](QPainter& p) {
        DrawSheet(p, QRectF(12, 6, 21, 26));
        DrawSheet(p, QRectF(18, 11, 21, 26));
        DrawRedCross(p, QPointF(33, 31.5), 7.5, look);
    });
}

QImage StartButton(const Look& look)
{
    QImage image = Blank(90, 93, look.scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPointF centre(45, 46);
    const qreal outer = 42;

    // Shadow, white rim, then the blue ball.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 60, 120, 60));
    p.drawEllipse(centre + QPointF(0, 1.8), outer, outer);
    QLinearGradient rim(centre - QPointF(0, outer), centre + QPointF(0, outer));
    rim.setColorAt(0, QColor(255, 255, 255));
    rim.setColorAt(1, QColor(170, 200, 232));
    p.setBrush(rim);
    p.drawEllipse(centre, outer, outer);

    const qreal inner = outer - 4.5;
    QRadialGradient ball(centre + QPointF(0, inner * 0.45), inner * 1.25,
                         centre + QPointF(0, inner * 0.7));
    if (look.hover) {
        ball.setColorAt(0, QColor(120, 200, 255));
        ball.setColorAt(0.55, QColor(40, 140, 236));
        ball.setColorAt(1, QColor(16, 90, 196));
    } else {
        ball.setColorAt(0, QColor(70, 160, 240));
        ball.setColorAt(0.55, QColor(22, 110, 210));
        ball.setColorAt(1, QColor(10, 64, 150));
    }
    p.setBrush(ball);
    p.setPen(QPen(QColor(10, 60, 140), 1));
    p.drawEllipse(centre, inner, inner);

    // Gloss: an ellipse over the upper part of the ball.
    const QRectF glossBox(centre.x() - inner * 0.72, centre.y() - inner * 0.93, inner * 1.44,
                          inner * 0.9);
    QLinearGradient gloss(glossBox.topLeft(), glossBox.bottomLeft());
    gloss.setColorAt(0, QColor(255, 255, 255, look.hover ? 235 : 185));
    gloss.setColorAt(1, QColor(255, 255, 255, look.hover ? 30 : 10));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(glossBox);
    return image;
}

// The caption goes right of the folder icon, or over the whole plate.
QImage SmallButton(int width, int plateWidth, bool folder, const Look& look)
{
    QImage image = Blank(width, 35, look.scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, QRectF(0, 0, plateWidth, kSmallPlateHeight), 7, look);
    if (folder)
        DrawFolder(p, QRectF(8, 9, 17, 14), look);
    return image;
}

// Three 16 x 16 images on magenta, the colour that stands for transparent:
// blank, empty box, ticked box. The boxes are drawn on whole pixels so no
// edge pixel blends with the magenta.
QImage CheckBoxStrip()
{
    QImage image(48, 16, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    for (int i = 1; i <= 2; ++i) {
        const int x = i * 16;
        QLinearGradient fill(QPointF(0, 2), QPointF(0, 14));
        fill.setColorAt(0, QColor(255, 255, 255));
        fill.setColorAt(1, QColor(226, 234, 244));
        p.fillRect(QRect(x + 2, 2, 12, 12), fill);
        p.setPen(QColor(88, 110, 140));
        p.drawRect(QRect(x + 1, 1, 13, 13));
        if (i == 2) {
            // The tick lies inside the box, so its smooth edges blend only
            // with the box's own fill.
            p.save();
            p.setClipRect(QRect(x + 2, 2, 12, 12));
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(20, 110, 40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            QPainterPath tick;
            tick.moveTo(x + 4.2, 8.2);
            tick.lineTo(x + 6.8, 10.8);
            tick.lineTo(x + 11.8, 4.6);
            p.drawPath(tick);
            p.restore();
        }
    }
    return image;
}

// The application icon: a film frame on a blue tile with a clockwise
// arrow turning round it, drawn on a 256 x 256 grid and scaled to size.
QImage ApplicationIcon(int size = 256)
{
    QImage image = Blank(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    const QRectF tile(8, 8, 240, 240);
    QLinearGradient blue(tile.topLeft(), tile.bottomLeft());
    blue.setColorAt(0, QColor(66, 165, 245));
    blue.setColorAt(1, QColor(13, 71, 161));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawRoundedRect(tile, 48, 48);
    QLinearGradient gloss(tile.topLeft(), QPointF(tile.left(), tile.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 110));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(tile.adjusted(6, 6, -6, -tile.height() / 2), 42, 42);

    // The frame, turned a little to suggest the rotation.
    p.save();
    p.translate(128, 128);
    p.rotate(12);
    Look look;
    look.hover = true;
    DrawFilm(p, QRectF(-58, -58, 116, 116), look);
    p.restore();

    // A clockwise arrow round the frame.
    const QRectF ring(34, 34, 188, 188);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255), 17, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(ring, 100 * 16, -250 * 16);
    // Arrow head where the arc ends (210 degrees), pointing on clockwise:
    // up and to the left there.
    const double end = 210 * M_PI / 180;
    const QPointF tip(128 + 94 * std::cos(end), 128 - 94 * std::sin(end));
    p.save();
    p.translate(tip);
    p.rotate(150);
    QPainterPath head;
    head.moveTo(-26, -6);
    head.lineTo(26, -6);
    head.lineTo(0, 28);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(head);
    p.restore();
    return image;
}

bool SaveAs(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool Save(const QImage& image, const QString& folder, int id)
{
    return SaveAs(image, QDir(folder).filePath(QStringLiteral("%1.png").arg(id)));
}

// A button's normal and hover faces, at 1x and 2x.
bool SaveFaces(const std::function<QImage(const Look&)>& draw, const QString& folder, int hoverId,
               int normalId)
{
    bool ok = true;
    for (int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@2x");
        Look normal;
        normal.scale = scale;
        Look hover = normal;
        hover.hover = true;
        for (const auto& [id, look] : {std::pair{hoverId, hover}, std::pair{normalId, normal}}) {
            const QString name = QStringLiteral("%1%2.png").arg(id).arg(suffix);
            ok &= SaveAs(draw(look), QDir(folder).filePath(name));
        }
    }
    return ok;
}

// The icon theme sizes of the desktop's menus and panels.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool SaveIcons(const QString& folder)
{
    bool ok = true;
    for (int size : kIconSizes) {
        const QString sub = QStringLiteral("%1x%1").arg(size);
        QDir().mkpath(QDir(folder).filePath(sub));
        ok &= SaveAs(ApplicationIcon(size),
                     QDir(folder).filePath(sub + QStringLiteral("/FennexAVConverter.png")));
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(FENNEX_BITMAP_DIR);
    const QString icons =
        argc > 1 ? QDir(folder).filePath(QStringLiteral("icons")) : QStringLiteral(FENNEX_ICON_DIR);
    QDir().mkpath(folder);

    bool ok = true;
    ok &= SaveFaces(AddButton, folder, 336, 178);
    ok &= SaveFaces(RemoveButton, folder, 343, 331);
    ok &= SaveFaces(RemoveAllButton, folder, 341, 214);
    ok &= SaveFaces(StartButton, folder, 345, 295);
    ok &= SaveFaces([](const Look& look) { return SmallButton(96, 96, true, look); }, folder, 340,
                    268);
    ok &= SaveFaces([](const Look& look) { return SmallButton(65, 63, false, look); }, folder, 337,
                    335);
    ok &= Save(CheckBoxStrip(), folder, 292);
    ok &= Save(ApplicationIcon(), folder, 266);
    ok &= SaveIcons(icons);
    return ok ? 0 : 1;
}
