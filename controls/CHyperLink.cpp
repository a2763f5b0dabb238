#include "controls/CHyperLink.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void DefaultMessage(QWidget* parent, const QString& text)
{
    QString title = QCoreApplication::applicationName();
    if (title.isEmpty())
        title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

CHyperLink::MessageHook& MessageHookSlot()
{
    static CHyperLink::MessageHook hook = DefaultMessage;
    return hook;
}

// Failure codes, in the numbering the reason texts use.
constexpr int kOutOfResources = 0;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kNotEnoughMemory = 8;
constexpr int kBadExecutable = 11;
constexpr int kSharingViolation = 26;
constexpr int kNoAssociation = 31;

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent)
{
    m_opener = OpenWithDesktop;
    // Like a plain static text: from the top left unless the owner says
    // otherwise (QLabel would centre vertically).
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void CHyperLink::SetMessageHook(MessageHook hook)
{
    MessageHookSlot() = hook ? std::move(hook) : MessageHook(DefaultMessage);
}

void CHyperLink::SetOpener(Opener opener)
{
    m_opener = opener ? std::move(opener) : Opener(OpenWithDesktop);
}

QString CHyperLink::EffectiveTarget() const
{
    return m_target.isEmpty() ? text() : m_target;
}

void CHyperLink::SetTarget(const QString& target)
{
    m_target = target;
    if (m_attached) {
        FitToText();
        setToolTip(EffectiveTarget());
    }
}

void CHyperLink::SetUnderlineMode(int mode)
{
    if (mode == m_underlineMode)
        return;
    m_underlineMode = mode;
    update();
}

void CHyperLink::SetPointerCursor(const QCursor* cursor)
{
    setCursor(cursor ? *cursor : QCursor(Qt::PointingHandCursor));
}

QColor CHyperLink::CurrentColour() const
{
    if (m_pointerOver)
        return m_hoverColour;
    return m_visited ? m_visitedColour : m_linkColour;
}

QFont CHyperLink::CurrentFont() const
{
    // In hover mode the link keeps the font it was given until the pointer
    // first comes over it.
    QFont shown = font();
    if (m_underlineMode == 1 || (m_underlineMode == -1 && m_pointerOver))
        shown.setUnderline(true);
    else if (m_underlineMode == 0)
        shown.setUnderline(false);
    return shown;
}

void CHyperLink::Attach()
{
    if (m_attached)
        return;
    m_attached = true;
    if (m_target.isEmpty())
        m_target = text();
    else if (text().isEmpty())
        setText(m_target);
    FitToText();
    setToolTip(EffectiveTarget());
}

void CHyperLink::FitToText()
{
    if (!m_fitToText)
        return;
    QFont underlined = font();
    underlined.setUnderline(true);
    const QSize extent = QFontMetrics(underlined).size(0, text());
    const QRect inner = contentsRect();
    const int width = extent.width() + (this->width() - inner.width());
    const int height = extent.height() + (this->height() - inner.height());

    QRect box = geometry();
    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter) {
        const int shrink = (box.height() - height) / 2;
        box.setTop(box.top() + shrink);
        box.setBottom(box.bottom() - shrink);
    } else {
        box.setHeight(height);
    }
    if (align & Qt::AlignHCenter) {
        const int shrink = (box.width() - width) / 2;
        box.setLeft(box.left() + shrink);
        box.setRight(box.right() - shrink);
    } else if (align & Qt::AlignRight) {
        box.setLeft(box.right() + 1 - width);
    } else {
        box.setWidth(width);
    }
    setGeometry(box);
}

bool CHyperLink::event(QEvent* event)
{
    if (event->type() == QEvent::Polish)
        Attach();
    return QLabel::event(event);
}

void CHyperLink::HoverStart()
{
    if (m_pointerOver)
        return;
    m_pointerOver = 1;
    update();
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    HoverStart();
    QLabel::enterEvent(event);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint()))
        HoverStart();
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    if (m_pointerOver) {
        m_pointerOver = 0;
        update();
    }
    QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event)
{
    // The press belongs to the link: passed on, it would reach the dialog
    // underneath as a press on a free spot, which starts moving the window.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        OpenTarget();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(CurrentColour());
    painter.setFont(CurrentFont());
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

void CHyperLink::OpenTarget()
{
    m_pointerOver = 0;
    const QString reason = m_opener(EffectiveTarget());
    // A failed open after an earlier success turns the link back to the
    // link colour.
    m_visited = reason.isEmpty() ? 1 : 0;
    update();
    if (!reason.isEmpty()) {
        QApplication::beep();
        MessageHookSlot()(this, kFailurePrefix + reason);
    }
}

QString CHyperLink::ReasonText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                              "transactions\nwere being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename "
                              "extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

int CHyperLink::CodeFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kAccessDenied;
    case ENOMEM:
        return kNotEnoughMemory;
    case ENOEXEC:
        return kBadExecutable;
    case ETXTBSY:
    case EBUSY:
        return kSharingViolation;
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return kOutOfResources;
    // Negative, so that an unlisted errno never borrows a listed reason.
    default:
        return -error;
    }
}

QString CHyperLink::OpenWithDesktop(const QString& target)
{
    // A target that names a local file must be there and readable; say
    // what is wrong rather than leave it to a handler that reports nothing.
    const QUrl url = QUrl::fromUserInput(target, QDir::currentPath());
    if (url.isLocalFile()) {
        const QByteArray path = QFile::encodeName(url.toLocalFile());
        struct stat info {};
        if (::stat(path.constData(), &info) != 0) {
            const int error = errno;
            if (error == ENOENT && !QFileInfo(url.toLocalFile()).dir().exists())
                return ReasonText(kPathNotFound);
            return ReasonText(CodeFromErrno(error));
        }
        if (::access(path.constData(), R_OK) != 0)
            return ReasonText(CodeFromErrno(errno));
    }
    if (url.isValid() && QDesktopServices::openUrl(url))
        return {};

    // The desktop's opener, started with the target as its only argument:
    // nothing goes through a shell. A target that looks like an option is
    // passed as a path so the opener cannot mistake it for one.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return ReasonText(kNoAssociation);
    QString argument = target;
    if (argument.startsWith(QLatin1Char('-')))
        argument.prepend(QStringLiteral("./"));
    if (!QProcess::startDetached(program, {argument}))
        return ReasonText(kNoAssociation);
    return {};
}
