// The About box: modal, the same from every window, closed by OK, Enter, Esc and its
// close box.

#include "FakeServices.h"
#include "links/WebAddresses.h"
#include "links/frmAbout.h"
#include "movie/frmBoxPendulam.h"
#include "platform/LinkLabel.h"
#include "shell/Program.h"
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
    content.iconShown = !about.picIcon->pixmap().isNull();
    for (QLabel* label : {about.Label2, about.Label1, static_cast<QLabel*>(about.lblHomePage)}) {
        content.texts.append(label->text());
        content.places.append(label->geometry());
    }
    content.texts.append(about.cmdOK->text());
    content.places.append(about.cmdOK->geometry());
    content.places.append(about.picIcon->geometry());
    content.places.append(about.Line2->geometry());
    return content;
}

class AboutBox : public ::testing::Test {
protected:
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
        [&] { chooser.mnuHelpAboutSoftware->trigger(); },
        [&] { wheel.mnuAbout->trigger(); },
        [&] { movie.mnuAbout->trigger(); },
    };
    QList<Content> seen;
    for (const auto& open : openers)
        openAndThen(open, [&](frmAbout& about) {
            seen.append(contentOf(about));
            // Leave a mark that must not survive into the next showing.
            about.Label1->setText(QStringLiteral("changed"));
            about.cmdOK->click();
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
    EXPECT_EQ(about.Label2->text(), QStringLiteral("Somnara v1.45"));
    EXPECT_TRUE(about.Label1->text().startsWith(QStringLiteral(
        "Somnara is self-hypnosis software which helps you to relax and free your mind from all sorts of stress "
        "and strains. It is a simple and an easy-to-use self help software and is considered to be one of the "
        "most traditional, effective and practical ways for relaxing deeply. ")));
    EXPECT_TRUE(about.Label1->text().contains(QStringLiteral("rights")));
    EXPECT_EQ(about.lblHomePage->text(), QStringLiteral("Click here to visit ") + web_addresses::MainSiteHost);
    EXPECT_EQ(about.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(about.cmdOK->isDefault());
    EXPECT_EQ(about.focusWidget(), about.cmdOK);
    // Self-sizing labels keep their designed top left and show their whole text.
    EXPECT_EQ(about.Label2->pos(), QPoint(64, 18));
    const QLabel& link = *about.lblHomePage;
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
        [](frmAbout& about) { QTest::mouseClick(about.cmdOK, Qt::LeftButton); },
        [](frmAbout& about) { about.close(); },
    };
    for (const auto& close : closers)
        openAndThen([&] { chooser.mnuHelpAboutSoftware->trigger(); }, close);
    EXPECT_TRUE(fakes.web.opened.isEmpty());
}

TEST_F(AboutBox, LinkLeavesTheBoxOpenUntilOk)
{
    frmMain& chooser = program.form<frmMain>();
    openAndThen([&] { chooser.mnuHelpAboutSoftware->trigger(); },
                [&](frmAbout& about) {
                    about.lblHomePage_Click();
                    about.lblHomePage_Click();
                    EXPECT_TRUE(about.isVisible());
                    EXPECT_EQ(fakes.web.opened, (QStringList{web_addresses::HomeSite, web_addresses::HomeSite}));
                    about.cmdOK->click();
                });
}

} // namespace
