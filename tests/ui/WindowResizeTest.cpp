// The main window grown, maximised and started again: its controls keep
// their places against its edges, the list takes the room, and the size
// and place come back. Run at scale 1 and (a second run) at scale 2.
#include "tests/ui/WindowTestFolder.h"

#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "settings/AppSettings.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileListColumns.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

// Waits a little for the window to take size, then says whether it did.
void ExpectSize(const QWidget& window, QSize size)
{
    (void)QTest::qWaitFor([&] { return window.size() == size; }, 1000);
    EXPECT_EQ(window.size(), size);
}

class WindowResize : public ::testing::Test
{
protected:
    void SetUp() override { ResetDesktopHooks(); }
    void TearDown() override
    {
        m_dlg.reset();
        ResetDesktopHooks();
    }
    void Open(const std::string& settings)
    {
        m_folder.CopyLanguageFile("english.ini");
        m_folder.WriteSettings("[LANGUAGE]\nfile=english.ini\n" + settings);
        m_dlg = OpenWindow();
        ASSERT_TRUE(m_dlg);
    }
    // Every control of the window with its name.
    std::map<std::string, QWidget*> Controls() const
    {
        CFennexAVConverterDlg& d = *m_dlg;
        return {{"list", d.FileList()},
                {"help", d.HelpLink()},
                {"language", d.findChild<CHyperLink*>("languageLink")},
                {"add folder", d.AddFolderLink()},
                {"add", d.AddFilesButton()},
                {"remove", d.RemoveButton()},
                {"remove all", d.RemoveAllButton()},
                {"rotation group", d.findChild<QGroupBox*>("rotationGroup")},
                {"90", d.Rotate90Radio()},
                {"180", d.Rotate180Radio()},
                {"270", d.Rotate270Radio()},
                {"output label", d.findChild<QLabel*>("outputFolderLabel")},
                {"output folder", d.OutputCombo()},
                {"browse", d.BrowseButton()},
                {"open folder", d.OpenFolderButton()},
                {"start", d.StartButton()}};
    }

    WindowTestFolder m_folder;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
};

TEST_F(WindowResize, ControlsKeepToTheEdgesAndTheListTakesTheRoom)
{
    Open("");
    const QSize design(679, 444);
    EXPECT_EQ(m_dlg->size(), design);
    EXPECT_EQ(m_dlg->minimumSize(), design);
    EXPECT_TRUE(m_dlg->windowHandle()->flags() & Qt::WindowMaximizeButtonHint);

    std::map<std::string, QRect> atDesign;
    for (const auto& [name, widget] : Controls()) {
        ASSERT_NE(widget, nullptr) << name;
        atDesign[name] = widget->geometry();
    }
    // Smaller than the least: held at the least.
    m_dlg->resize(500, 300);
    ExpectSize(*m_dlg, design);

    const QSize grown(1180, 760);
    const int dx = grown.width() - design.width();
    const int dy = grown.height() - design.height();
    m_dlg->resize(grown);
    ExpectSize(*m_dlg, grown);

    const QRect list = m_dlg->FileList()->geometry();
    EXPECT_EQ(list.size(), atDesign["list"].size() + QSize(dx, dy));
    for (const auto& [name, widget] : Controls()) {
        const QRect now = widget->geometry();
        const QRect was = atDesign[name];
        EXPECT_TRUE(widget->isVisible()) << name;
        // Inside the window (as far as the form had it inside).
        if (QRect(QPoint(), design).contains(was)) {
            EXPECT_TRUE(m_dlg->rect().contains(now)) << name;
        }
        if (name == "list")
            continue;
        EXPECT_FALSE(now.intersects(list)) << name << " under the list";
        // The same distance from the right or left edge, from the bottom or top.
        const std::string& n = name;
        const auto any = [&](std::initializer_list<const char*> names) {
            return std::any_of(names.begin(), names.end(), [&](const char* x) { return n == x; });
        };
        const bool right = any({"help", "language", "add folder", "add", "remove", "remove all",
                                "browse", "open folder", "start"});
        const bool bottom = !any({"help", "language", "add folder", "add", "remove", "remove all"});
        const bool growsAcross = name == "output folder";
        EXPECT_EQ(now.left(), was.left() + (right ? dx : 0)) << name;
        EXPECT_EQ(now.top(), was.top() + (bottom ? dy : 0)) << name;
        EXPECT_EQ(now.width(), was.width() + (growsAcross ? dx : 0)) << name;
        EXPECT_EQ(now.height(), was.height()) << name;
    }

    // Column borders can be dragged; the paths take what is left.
    QHeaderView* header = m_dlg->FileList()->header();
    for (int column = 0; column < kColumnCount; ++column) {
        if (header->isSectionHidden(column) || column == kColumnPath)
            continue;
        EXPECT_EQ(header->sectionResizeMode(column), QHeaderView::Interactive) << column;
    }
    EXPECT_EQ(header->sectionResizeMode(kColumnPath), QHeaderView::Stretch);
    // The rotation column's 30 come out of the paths' 155.
    EXPECT_GT(header->sectionSize(kColumnPath), 155 - 30 + dx - 10);

    // Maximised, then closed and started again: maximised, with the size
    // of before.
    m_dlg->resize(1000, 700);
    m_dlg->move(40, 50);
    ExpectSize(*m_dlg, QSize(1000, 700));
    const QRect normal = m_dlg->geometry();
    m_dlg->close();
    const WindowPlace place = ReadWindowPlace(m_folder.ini());
    ASSERT_TRUE(place.valid);
    EXPECT_EQ(QRect(place.x, place.y, place.width, place.height), normal);
    EXPECT_FALSE(place.maximised);
    m_dlg.reset();

    m_dlg = OpenWindow();
    ASSERT_TRUE(m_dlg);
    ExpectSize(*m_dlg, QSize(1000, 700));
    EXPECT_EQ(m_dlg->FileList()->size(), atDesign["list"].size() + QSize(1000 - 679, 700 - 444));
}

// What setting.ini may hold: a place too small, off every screen, malformed.
TEST_F(WindowResize, ARememberedPlaceIsTakenWithinReason)
{
    const struct {
        const char* text;
        QSize size;
        bool maximised;
    } cases[] = {
        {"20,30,900,600,0", {900, 600}, false},
        {"20,30,900,600,1", {900, 600}, true},           // maximised over its normal size
        {"20,30,100,80,0", {679, 444}, false},           // never below the least
        {"-90000,-90000,800,500,0", {800, 500}, false},  // off every screen: size only
        {"20,30,900", {679, 444}, false},                // malformed: the default
        {"20,30,900,600,2", {679, 444}, false},
        {"20,30,900,600,0x", {679, 444}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Open(std::string("[WINDOW]\nplace=") + c.text + "\n");
        EXPECT_EQ(m_dlg->isMaximized(), c.maximised);
        if (!c.maximised)
            ExpectSize(*m_dlg, c.size);
        else
            EXPECT_EQ(m_dlg->normalGeometry().size(), c.size);
        EXPECT_GT(m_dlg->geometry().bottom(), -1000);
        m_dlg.reset();
    }
}

}  // namespace
