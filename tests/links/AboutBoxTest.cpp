// The About box: modal, the same from every window, closed by OK, Enter, Esc and its
// close box.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "links/WebAddresses.h"
#include "links/frmAbout.h"
#include "movie/frmBoxPendulam.h"
#include "platform/LinkLabel.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the user sees of the box.
struct Content {
    QString title;
    QStringList texts;
    QList<QRect> places;
    QSize client;
    bool iconShown = false;
    bool operator==(const Content&) const = default;
};

Content contentOf(frmAbout& about)
{
    Content content;
    content.title = about.windowTitle();
    content.client = about.size();
    content.iconShown = !control<QLabel>(about, "picIcon")->pixmap().isNull();
    for (QLabel* label : {control<QLabel>(about, "Label2"), control<QLabel>(about, "Label1"), static_cast<QLabel*>(control<platform::LinkLabel>(about, "lblHomePage"))}) {
        content.texts.append(label->text());
        content.places.append(label->geometry());
    }
    content.texts.append(control<QPushButton>(about, "cmdOK")->text());
    content.places.append(control<QPushButton>(about, "cmdOK")->geometry());
    content.places.append(control<QLabel>(about, "picIcon")->geometry());
    content.places.append(control<QFrame>(about, "Line2")->geometry());
    return content;
}

class AboutBox : public ::testing::Test {
protected:
    AboutBox() { InstallShell(program); }

    // Opens the box through `open`, which must not return until the box is closed;
    // `whileOpen` runs inside the box's modal loop and is expected to close it.
    void openAndThen(const std::function<void()>& open, const std::function<void(frmAbout&)>& whileOpen)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            frmAbout* about = program.loaded<frmAbout>();
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(about->isVisible());
            EXPECT_TRUE(about->isModal());
            ran = true;
            whileOpen(*about);
        });
        open();
        EXPECT_TRUE(ran);
        EXPECT_EQ(program.loaded<frmAbout>(), nullptr);
    }

    fakes::Services fakes;
    Program program{fakes.services()};
};

TEST_F(AboutBox, SameContentFromEveryWindowAndEachShowingIsFresh)
{
    frmMain& chooser = program.form<frmMain>();
    frmHypno& wheel = program.form<frmHypno>();
    frmBoxPendulam& movie = program.form<frmBoxPendulam>();
    const std::function<void()> openers[] = {
        [&] { control<QAction>(chooser, "mnuHelpAboutSoftware")->trigger(); },
        [&] { control<QAction>(wheel, "mnuAbout")->trigger(); },
        [&] { control<QAction>(movie, "mnuAbout")->trigger(); },
    };
    QList<Content> seen;
    for (const auto& open : openers)
        openAndThen(open, [&](frmAbout& about) {
            seen.append(contentOf(about));
            // Leave a mark that must not survive into the next showing.
            control<QLabel>(about, "Label1")->setText(QStringLiteral("changed"));
            control<QPushButton>(about, "cmdOK")->click();
        });
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], seen[0]);
    EXPECT_TRUE(seen[0].iconShown);
}

TEST_F(AboutBox, ShowsTheDesignedTexts)
{
    frmAbout& about = program.form<frmAbout>();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Somnara v1.45"));
    EXPECT_EQ(control<QLabel>(about, "Label2")->text(), QStringLiteral("Somnara v1.45"));
    EXPECT_TRUE(control<QLabel>(about, "Label1")->text().startsWith(QStringLiteral(
        "Somnara is self-hypnosis software which helps you to relax and free your mind from all sorts of stress "
        "and strains. It is a simple and an easy-to-use self help software and is considered to be one of the "
        "most traditional, effective and practical ways for relaxing deeply. ")));
    EXPECT_TRUE(control<QLabel>(about, "Label1")->text().contains(QStringLiteral("rights")));
    EXPECT_EQ(control<platform::LinkLabel>(about, "lblHomePage")->text(), QStringLiteral("Click here to visit ") + web_addresses::MainSiteHost);
    EXPECT_EQ(control<QPushButton>(about, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(control<QPushButton>(about, "cmdOK")->isDefault());
    EXPECT_EQ(about.focusWidget(), control<QPushButton>(about, "cmdOK"));
    // Self-sizing labels keep their designed top left and show their whole text.
    EXPECT_EQ(control<QLabel>(about, "Label2")->pos(), QPoint(64, 18));
    const QLabel& link = *control<platform::LinkLabel>(about, "lblHomePage");
    EXPECT_GE(link.width(), link.fontMetrics().horizontalAdvance(link.text()));
    about.Unload();
}

TEST_F(AboutBox, EnterEscOkAndTheCloseBoxEachCloseIt)
{
    frmMain& chooser = program.form<frmMain>();
    const std::function<void(frmAbout&)> closers[] = {
        [](frmAbout& about) { QTest::keyClick(&about, Qt::Key_Return); },
        [](frmAbout& about) { QTest::keyClick(&about, Qt::Key_Enter, Qt::KeypadModifier); },
        [](frmAbout& about) { QTest::keyClick(&about, Qt::Key_Escape); },
        [](frmAbout& about) { QTest::mouseClick(control<QPushButton>(about, "cmdOK"), Qt::LeftButton); },
        [](frmAbout& about) { about.close(); },
    };
    for (const auto& close : closers)
        openAndThen([&] { control<QAction>(chooser, "mnuHelpAboutSoftware")->trigger(); }, close);
    EXPECT_TRUE(fakes.web.opened.isEmpty());
}

TEST_F(AboutBox, LinkLeavesTheBoxOpenUntilOk)
{
    frmMain& chooser = program.form<frmMain>();
    openAndThen([&] { control<QAction>(chooser, "mnuHelpAboutSoftware")->trigger(); },
                [&](frmAbout& about) {
                    about.lblHomePage_Click();
                    about.lblHomePage_Click();
                    EXPECT_TRUE(about.isVisible());
                    EXPECT_EQ(fakes.web.opened, (QStringList{web_addresses::HomeSite, web_addresses::HomeSite}));
                    control<QPushButton>(about, "cmdOK")->click();
                });
}

} // namespace
