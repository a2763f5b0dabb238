#include "controls/CHyperLink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The help link as the main window sets it up, with a recording opener and
// a recording message box.
struct LinkOnDialog {
    QWidget dialog;
    CHyperLink* link;
    QStringList opened;
    QStringList messages;
    QString failure;  // what the opener answers

    explicit LinkOnDialog(const QString& text, const QString& target = {})
    {
        dialog.resize(400, 100);
        link = new CHyperLink(&dialog);
        link->setText(text);
        link->setGeometry(10, 10, 300, 40);
        if (!target.isEmpty())
            link->SetTarget(target);
        link->SetOpener([this](const QString& t) {
            opened << t;
            return failure;
        });
        CHyperLink::SetMessageHook(
            [this](QWidget*, const QString& message) { messages << message; });
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    ~LinkOnDialog() { CHyperLink::SetMessageHook({}); }

    void Click() { QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, 3)); }
};

const QColor kLink(0, 0, 238);
const QColor kVisited(85, 26, 139);
const QColor kHover(255, 0, 0);

}  // namespace

TEST(HyperLink, WithoutATargetALinkOpensItsOwnText)
{
    LinkOnDialog ui("https://example.org/help");
    EXPECT_EQ(ui.link->toolTip(), "https://example.org/help");
    ui.Click();
    EXPECT_EQ(ui.opened, QStringList({"https://example.org/help"}));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.link->IsVisited());
    EXPECT_EQ(ui.link->CurrentColour(), kVisited);
}

TEST(HyperLink, FailedOpenShowsTheReasonAndClearsVisited)
{
    LinkOnDialog ui("使用帮助", "https://example.org/help");
    ui.Click();
    ASSERT_TRUE(ui.link->IsVisited());

    ui.failure = CHyperLink::ReasonText(31);
    ui.Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], "Unable to open hyperlink:\n\nThere is no application associated\n"
                              "with the given filename extension.");
    EXPECT_FALSE(ui.link->IsVisited());
    EXPECT_EQ(ui.link->CurrentColour(), kLink);
}

TEST(HyperLink, DesktopOpenerNamesWhatIsMissing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(CHyperLink::OpenWithDesktop(folder.filePath("absent.html")),
              "The specified file was not found.");
    EXPECT_EQ(CHyperLink::OpenWithDesktop(folder.filePath("no-such-folder/absent.html")),
              "The specified path was not found.");

    // Through the link, the reason reaches the message box.
    LinkOnDialog ui("帮助", folder.filePath("absent.html"));
    ui.link->SetOpener({});  // back to the desktop opener
    ui.Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0], "Unable to open hyperlink:\n\nThe specified file was not found.");
}

TEST(HyperLink, UnlistedCodesGiveTheCatchAllReason)
{
    EXPECT_EQ(CHyperLink::ReasonText(4), "Unknown Error (4) occurred.");
    EXPECT_EQ(CHyperLink::ReasonText(CHyperLink::CodeFromErrno(ENOMEM)),
              "There was not enough memory to complete the operation.");
    EXPECT_EQ(CHyperLink::ReasonText(CHyperLink::CodeFromErrno(EACCES)),
              "The operating system denied\naccess to the specified file.");
    // An errno that has no reason of its own never borrows a listed one.
    EXPECT_EQ(CHyperLink::ReasonText(CHyperLink::CodeFromErrno(EIO)),
              QStringLiteral("Unknown Error (%1) occurred.").arg(-EIO));
}

TEST(HyperLink, HoverChangesColourAndUnderlineByMode)
{
    LinkOnDialog ui("使用帮助", "https://example.org/help");
    EXPECT_EQ(ui.link->CurrentColour(), kLink);
    EXPECT_FALSE(ui.link->CurrentFont().underline());

    QTest::mouseMove(ui.link, QPoint(3, 3));
    EXPECT_TRUE(ui.link->IsPointerOver());
    EXPECT_EQ(ui.link->CurrentColour(), kHover);
    EXPECT_TRUE(ui.link->CurrentFont().underline());

    QTest::mouseMove(&ui.dialog, QPoint(380, 90));
    EXPECT_FALSE(ui.link->IsPointerOver());
    EXPECT_EQ(ui.link->CurrentColour(), kLink);
    EXPECT_FALSE(ui.link->CurrentFont().underline());

    ui.link->SetUnderlineMode(1);
    EXPECT_TRUE(ui.link->CurrentFont().underline());
    ui.link->SetUnderlineMode(0);
    QTest::mouseMove(ui.link, QPoint(3, 3));
    EXPECT_FALSE(ui.link->CurrentFont().underline());
}

TEST(HyperLink, FitsItsTextAndFollowsNewTargets)
{
    LinkOnDialog ui("使用帮助");
    QFont underlined = ui.link->font();
    underlined.setUnderline(true);
    const QSize text = QFontMetrics(underlined).size(0, "使用帮助");
    EXPECT_EQ(ui.link->geometry(), QRect(QPoint(10, 10), text));
    EXPECT_EQ(ui.link->toolTip(), "使用帮助");

    ui.link->SetTarget("https://example.org/other");
    EXPECT_EQ(ui.link->toolTip(), "https://example.org/other");
    EXPECT_EQ(ui.link->size(), text);

    // A centred link shrinks towards its middle.
    QWidget dialog;
    auto* centred = new CHyperLink(&dialog);
    centred->setAlignment(Qt::AlignCenter);
    centred->setText("帮助");
    centred->setGeometry(0, 0, 200, 60);
    dialog.show();
    EXPECT_NEAR(centred->geometry().center().x(), 100, 1);
    EXPECT_NEAR(centred->geometry().center().y(), 30, 1);
    EXPECT_LT(centred->width(), 100);
}

TEST(HyperLink, PointerIsAHandUnlessTheOwnerGivesOne)
{
    LinkOnDialog ui("帮助");
    EXPECT_EQ(ui.link->cursor().shape(), Qt::PointingHandCursor);
    const QCursor cross(Qt::CrossCursor);
    ui.link->SetPointerCursor(&cross);
    EXPECT_EQ(ui.link->cursor().shape(), Qt::CrossCursor);
    ui.link->SetPointerCursor(nullptr);
    EXPECT_EQ(ui.link->cursor().shape(), Qt::PointingHandCursor);
}

namespace {

// Puts a stand-in for the desktop's opener first on PATH; it writes each
// argument it gets on a line of its own into `record`.
class FakeOpener
{
public:
    FakeOpener()
    {
        m_savedPath = qgetenv("PATH");
        record = m_folder.filePath("args.txt");
        QFile script(m_folder.filePath("xdg-open"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                     QFile::encodeName(record) + ".part\"\nmv \"" + QFile::encodeName(record) +
                     ".part\" \"" + QFile::encodeName(record) + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(m_folder.path()) + ":" + m_savedPath);
    }
    ~FakeOpener() { qputenv("PATH", m_savedPath); }

    // The arguments of the one run, once it has finished.
    QStringList Arguments()
    {
        QFile file(record);
        for (int i = 0; i < 100 && !file.exists(); ++i)
            QTest::qWait(20);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_folder;
    QString record;

private:
    QByteArray m_savedPath;
};

}  // namespace

TEST(HyperLink, DesktopOpenerPassesTheTargetAsOneArgument)
{
    {
        FakeOpener opener;
        const QString target = "https://example.org/a b;touch pwned&x=`id`";
        EXPECT_EQ(CHyperLink::OpenWithDesktop(target), QString());
        EXPECT_EQ(opener.Arguments(), QStringList({target}));
    }
    {
        // A target that looks like an option reaches the opener as a path.
        FakeOpener opener;
        EXPECT_EQ(CHyperLink::OpenWithDesktop("--help"), QString());
        EXPECT_EQ(opener.Arguments(), QStringList({"./--help"}));
    }
}
