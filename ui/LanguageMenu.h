#pragma once

#include <QObject>
#include <functional>
#include <string>

class CHyperLink;
class QActionGroup;
class QMenu;
class QWidget;

// The link under the help link that opens the choice of languages: one
// entry per language file of the languages folder, by the language's own
// name, the file in use ticked. Picking one switches at once: setting.ini
// [LANGUAGE] file names it, the texts are read from it, Qt's own
// translations follow, and `redraw` words the window again.
class LanguageMenu : public QObject
{
    Q_OBJECT

public:
    // Sits in the help link's window, below it; words itself at once.
    LanguageMenu(CHyperLink& help, std::function<void()> redraw);

    CHyperLink* Link() const { return m_link; }
    QMenu* Menu() const { return m_menu; }

    // Opens the menu below the link, as a click on it does.
    void Open();
    // Switches to the language file `file` of the languages folder, as
    // picking its entry does. When setting.ini cannot take the choice the
    // window still switches and a message says it will not last.
    void Choose(const std::string& file);
    // Words the link in the current language, fits it and puts it in place.
    void Retranslate();
    // Puts the link under the help link again (after the window's size changed).
    void PlaceLink();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillMenu();

    CHyperLink& m_help;
    CHyperLink* m_link = nullptr;
    QMenu* m_menu = nullptr;
    QActionGroup* m_group = nullptr;  // the entries of the menu as it is filled now
    std::function<void()> m_redraw;
};
