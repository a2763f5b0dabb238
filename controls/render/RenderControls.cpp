// Renders every control in each of its states to PNG files, so the artwork
// and the states can be looked at:  fennex-render-controls <folder>

#include "controls/BitmapResources.h"
#include "controls/ButtonCaption.h"
#include "controls/CCheckHeadCtrl.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "controls/CLabel.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace {

const QColor kDialogBackground(187, 222, 251);

QString g_folder;
int g_failures = 0;
// Every picture written, in order, for the contact sheet.
QList<QImage> g_sheet;

void Save(const QImage& image, const QString& name)
{
    const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

void Write(QWidget& widget, const QString& name)
{
    const QImage image = widget.grab().toImage();
    Save(image, name);
    g_sheet.append(image);
}

// All pictures on one page, enlarged, so they can be judged at a glance:
// `perRow` pictures side by side.
void WriteSheet(const QString& name, int first, int count, int perRow, int scale)
{
    int width = 0;
    int height = 0;
    int rowHeight = 0;
    int rowWidth = 0;
    for (int i = 0; i < count; ++i) {
        const QImage& image = g_sheet[first + i];
        rowWidth += image.width() + 4;
        rowHeight = std::max(rowHeight, image.height() + 4);
        if ((i + 1) % perRow == 0 || i + 1 == count) {
            width = std::max(width, rowWidth);
            height += rowHeight;
            rowWidth = 0;
            rowHeight = 0;
        }
    }
    QImage sheet(width * scale, height * scale, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.scale(scale, scale);
    int x = 0;
    int y = 0;
    for (int i = 0; i < count; ++i) {
        const QImage& image = g_sheet[first + i];
        painter.drawImage(x, y, image);
        x += image.width() + 4;
        rowHeight = std::max(rowHeight, image.height() + 4);
        if ((i + 1) % perRow == 0) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
    }
    painter.end();
    Save(sheet, name);
}

// A small stand-in for the dialog: the light blue background the controls
// are placed on.
QWidget* Backdrop(const QSize& size)
{
    auto* backdrop = new QWidget;
    QPalette palette = backdrop->palette();
    palette.setColor(QPalette::Window, kDialogBackground);
    backdrop->setPalette(palette);
    backdrop->setAutoFillBackground(true);
    backdrop->resize(size);
    return backdrop;
}

void Enter(QWidget& widget)
{
    QEnterEvent enter(QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)),
                      widget.mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

struct ButtonFaces {
    const char* name;
    unsigned hover;
    unsigned normal;
    ButtonCaptionStyle style;
    QString chinese, english;
};

// Each face with its Chinese caption (the pictures keep their old names),
// its English one ("-en") and a word too long for it ("-long").
void RenderButtons()
{
    const ButtonCaptionStyle list = ButtonCaptionStyle::ListButton();
    const ButtonFaces buttons[] = {
        {"add", 336, 178, list, QStringLiteral("添加"), QStringLiteral("Add")},
        {"remove", 343, 331, list, QStringLiteral("删除"), QStringLiteral("Remove")},
        {"remove-all", 341, 214, list, QStringLiteral("删除 所有文件"),
         QStringLiteral("Remove all files")},
        {"start", 345, 295, ButtonCaptionStyle::StartButton(), QStringLiteral("开始"),
         QStringLiteral("Start")},
        {"open-folder", 340, 268, ButtonCaptionStyle::SmallButton(96, true),
         QStringLiteral("打开目录"), QStringLiteral("Open folder")},
        {"browse", 337, 335, ButtonCaptionStyle::SmallButton(63, false), QStringLiteral("浏览"),
         QStringLiteral("Browse")},
    };
    const QString longWord = QStringLiteral("Verzeichnisauswahldialog");
    for (const char* language : {"", "-en", "-long"}) {
        for (const ButtonFaces& faces : buttons) {
            const QPixmap normal = LoadBitmapResource(faces.normal);
            const QSize size = normal.isNull() ? QSize(64, 32) : normal.size();
            QWidget* backdrop = Backdrop(size + QSize(16, 16));
            auto* button = new CControlButton(backdrop);
            // Every button of the main window passes its normal face again as
            // the pressed one.
            button->SetBitmaps(faces.hover, faces.normal, faces.normal, faces.hover);
            const QString suffix = QString::fromLatin1(language);
            button->SetCaption(suffix.isEmpty()  ? faces.chinese
                               : suffix == "-en" ? faces.english
                                                 : longWord,
                               faces.style);
            button->setGeometry(QRect(QPoint(8, 8), size));
            backdrop->show();
            const QString name = QString::fromLatin1(faces.name);
            Write(*backdrop, QStringLiteral("button-%1-normal%2").arg(name, suffix));
            Enter(*button);
            Write(*backdrop, QStringLiteral("button-%1-hover%2").arg(name, suffix));
            button->setDown(true);
            Write(*backdrop, QStringLiteral("button-%1-pressed%2").arg(name, suffix));
            button->setDown(false);
            Leave(*button);
            button->setEnabled(false);
            Write(*backdrop, QStringLiteral("button-%1-disabled%2").arg(name, suffix));
            delete backdrop;
        }
    }
}

void RenderLabels()
{
    struct Case {
        const char* name;
        Qt::Alignment alignment;
        QString text;
    };
    const Case cases[] = {
        {"left", Qt::AlignLeft, QStringLiteral("正在处理: 1/3  clip.mp4")},
        {"centre", Qt::AlignHCenter, QStringLiteral("总进度 42%")},
        {"right", Qt::AlignRight, QStringLiteral("剩余 2 个文件")},
        {"tabs", Qt::AlignLeft, QStringLiteral("文件\t1/3\t完成")},
        {"centre-image", Qt::AlignVCenter, QStringLiteral("居中的一行")},
        {"centre-image-two-lines", Qt::AlignVCenter, QStringLiteral("第一行\r\n第二行")},
    };
    for (const Case& c : cases) {
        QWidget* backdrop = Backdrop(QSize(240, 56));
        auto* label = new CLabel(backdrop);
        label->setGeometry(8, 8, 224, 40);
        label->setAlignment(c.alignment);
        label->setText(c.text);
        backdrop->show();
        Write(*backdrop, QStringLiteral("label-%1").arg(QString::fromLatin1(c.name)));
        delete backdrop;
    }
}

void RenderLinks()
{
    QWidget* backdrop = Backdrop(QSize(240, 40));
    auto* link = new CHyperLink(backdrop);
    link->setText(QStringLiteral("使用帮助"));
    link->setGeometry(8, 8, 200, 24);
    link->SetTarget(QStringLiteral("https://example.org/help"));
    link->SetUnderlineMode(1);
    link->SetOpener([](const QString&) { return QString(); });
    backdrop->show();
    Write(*backdrop, QStringLiteral("link-normal"));
    Enter(*link);
    Write(*backdrop, QStringLiteral("link-hover"));
    Leave(*link);
    link->OpenTarget();
    Write(*backdrop, QStringLiteral("link-visited"));
    link->SetUnderlineMode(-1);
    Write(*backdrop, QStringLiteral("link-hover-mode-at-rest"));
    Enter(*link);
    Write(*backdrop, QStringLiteral("link-hover-mode-hovered"));
    delete backdrop;
}

void RenderList()
{
    QWidget* backdrop = Backdrop(QSize(520, 200));
    auto* list = new CCheckListCtrl(backdrop);
    list->setGeometry(8, 8, 504, 184);
    list->setHeaderLabels({QStringLiteral("文件"), QStringLiteral("时长"), QStringLiteral("大小"),
                           QStringLiteral("码率")});
    list->setColumnWidth(0, 220);
    list->InitCheckHeader();
    const QStringList names = {QStringLiteral("/home/user/视频/假期.mp4"),
                               QStringLiteral("/home/user/视频/生日.mov"),
                               QStringLiteral("/home/user/视频/clip.avi")};
    for (int row = 0; row < names.size(); ++row) {
        list->InsertItem(row, names[row]);
        list->SetItemText(row, 1, QStringLiteral("00:0%1:12").arg(row + 1));
        list->SetItemText(row, 2, QStringLiteral("%1 MB").arg(12 * (row + 1)));
        list->SetItemText(row, 3, QStringLiteral("%1 kb/s").arg(900 + 100 * row));
    }
    backdrop->show();
    list->SetCheck(0, true);
    Write(*backdrop, QStringLiteral("list-some-ticked"));
    for (int row = 0; row < names.size(); ++row)
        list->SetCheck(row, true);
    Write(*backdrop, QStringLiteral("list-all-ticked"));
    list->SetCheckImage(1, 0);
    Write(*backdrop, QStringLiteral("list-row-without-box"));
    delete backdrop;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);
    RenderButtons();
    const int buttons = int(g_sheet.size());
    RenderLabels();
    RenderLinks();
    RenderList();
    WriteSheet(QStringLiteral("sheet-buttons"), 0, buttons, 4, 3);
    WriteSheet(QStringLiteral("sheet-others"), buttons, int(g_sheet.size()) - buttons, 3, 2);
    return g_failures == 0 ? 0 : 1;
}
