#include "ui/LanguageMenu.h"

#include "controls/CHyperLink.h"
#include "settings/AppFolders.h"
#include "settings/AppSettings.h"
#include "settings/LanguageChoice.h"
#include "settings/LanguageTexts.h"
#include "ui/DesktopHooks.h"
#include "ui/QtTranslations.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>

namespace {

// Room between the help link and this one.
constexpr int kGap = 6;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

LanguageMenu::LanguageMenu(CHyperLink& help, std::function<void()> redraw)
    : QObject(help.parentWidget()), m_help(help), m_redraw(std::move(redraw))
{
    m_link = new CHyperLink(help.parentWidget());
    m_link->setObjectName(QStringLiteral("languageLink"));
    m_link->SetUnderlineMode(1);
    m_link->SetPointerCursor(nullptr);
    // A click opens the menu here, before the link would open a target.
    m_link->installEventFilter(this);
    m_menu = new QMenu(help.parentWidget());
    m_menu->setObjectName(QStringLiteral("languageMenu"));
    Retranslate();
}

void LanguageMenu::Retranslate()
{
    const QString caption = Q(g_texts.window.languageLink);
    m_link->setFont(m_help.font());
    m_link->setText(caption);
    m_link->SetTarget(caption);  // refits a link already shown
    m_link->ensurePolished();    // fits it the first time
    m_link->setToolTip(Q(g_texts.tips.languageLink));
    m_link->setAccessibleName(caption);
    m_help.ensurePolished();
    PlaceLink();
    FillMenu();
}

void LanguageMenu::PlaceLink()
{
    m_link->move(m_help.x(), m_help.geometry().bottom() + 1 + kGap);
}

void LanguageMenu::FillMenu()
{
    m_menu->clear();
    // One language at a time: the entries show as radio items.
    delete m_group;
    m_group = new QActionGroup(m_menu);
    for (const LanguageChoice& choice : AvailableLanguages(DataFolder() + "/languages")) {
        QAction* action = m_menu->addAction(Q(choice.name));
        action->setCheckable(true);
        action->setActionGroup(m_group);
        action->setChecked(choice.file == g_languageFile);
        action->setData(Q(choice.file));
        connect(action, &QAction::triggered, this, [this, file = choice.file] { Choose(file); });
    }
}

void LanguageMenu::Open()
{
    FillMenu();
    // Below the link, its right edge under the link's, so that it opens
    // over the window rather than past its edge.
    const int width = m_menu->sizeHint().width();
    m_menu->popup(m_link->mapToGlobal(QPoint(m_link->width() - width, m_link->height())));
}

void LanguageMenu::Choose(const std::string& file)
{
    const std::string ini = SettingsFilePath();
    const bool kept = WriteLanguageFileName(ini, file);
    g_languageFile = file;
    ReadLanguageTexts(LanguageFilePath(), g_texts);
    InstallQtTranslations(*QCoreApplication::instance(),
                          Q(LanguageLocale(file, g_texts.application.locale)));
    if (m_redraw)
        m_redraw();
    Retranslate();
    if (!kept)
        Desktop().showMessage(m_link->window(), Q(g_texts.prompts.languageNotKept).arg(Q(ini)));
}

bool LanguageMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_link && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_link->rect().contains(mouse->position().toPoint())) {
            Open();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
