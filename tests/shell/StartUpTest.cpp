// Start-up: the one-copy rule, the required movie files, and the way out.

#include "Controls.h"
#include "ProgramFixture.h"

#include "frame/mdifrm.h"
#include "wheel/frmHypno.h"
#include "referral/frmNagScreen2.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>

using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QString kFileMissing = QStringLiteral("Required File To Run The Software is Missing\rPlease Reinstall the Software");

TEST_F(ProgramTest, SecondCopyOnlySaysSoAndEnds)
{
    fake.instance.otherCopyRunning = true;
    fake.files.present.clear();
    StartUp(program);

    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, QStringLiteral("Application is already running"));
    EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(fake.messages.shown[0].buttons, MsgButtons::OK);
    EXPECT_EQ(fake.process.ends, 1);
    EXPECT_TRUE(fake.files.lookups.isEmpty()) << "no file check";
    EXPECT_TRUE(fake.settings.values.isEmpty()) << "no update reminder";
    EXPECT_EQ(program.loaded<frmMain>(), nullptr);
}

TEST_F(ProgramTest, AllMoviesPresentShowsTheChooser)
{
    StartUp(program);
    ASSERT_NE(program.loaded<frmMain>(), nullptr);
    EXPECT_TRUE(program.loaded<frmMain>()->isVisible());
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_EQ(fake.process.ends, 0);
    EXPECT_EQ(fake.files.lookups, (QStringList{QStringLiteral("/opt/somnara/BoxDownward.swf"),
                                               QStringLiteral("/opt/somnara/BoxUpward.swf"),
                                               QStringLiteral("/opt/somnara/Pendulum.swf")}));
}

class MissingMovie : public ProgramTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingMovie, AnyMissingMovieEndsTheProgramBeforeTheChooserShows)
{
    fake.files.present.remove(QStringLiteral("/opt/somnara/") + QString::fromLatin1(GetParam()));
    bool chooserVisibleDuringMessage = true;
    fake.messages.whileShown = [&](const fakes::ShownMessage&) {
        const frmMain* chooser = program.loaded<frmMain>();
        chooserVisibleDuringMessage = chooser && chooser->isVisible();
    };
    StartUp(program);

    ASSERT_EQ(fake.messages.texts(), QStringList{kFileMissing});
    EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_FALSE(chooserVisibleDuringMessage);
    EXPECT_EQ(fake.process.ends, 1);
    EXPECT_EQ(fake.files.lookups.size(), 3) << "all three are looked up";
    const frmMain* chooser = program.loaded<frmMain>();
    EXPECT_TRUE(chooser == nullptr || !chooser->isVisible());
}

INSTANTIATE_TEST_SUITE_P(EachMovie, MissingMovie,
                         ::testing::Values("BoxDownward.swf", "BoxUpward.swf", "Pendulum.swf"));

TEST_F(ProgramTest, ExitShowsOnlyTheReferAFriendWindowAndItsClosingEndsTheProgram)
{
    StartUp(program);
    control<QAction>(*program.loaded<frmMain>(), "mnuFileExit")->trigger();
    returnToEventLoop();

    EXPECT_EQ(program.loaded<frmMain>(), nullptr);
    ASSERT_NE(program.loaded<frmNagScreen2>(), nullptr);
    EXPECT_TRUE(program.loaded<frmNagScreen2>()->isVisible());
    EXPECT_EQ(program.forms().loadedForms().size(), 1u);
    EXPECT_EQ(fake.process.ends, 0) << "the program runs on until that window closes";

    control<QPushButton>(*program.loaded<frmNagScreen2>(), "cmdClose")->click();
    EXPECT_EQ(fake.process.ends, 1);
}

TEST_F(ProgramTest, ChooserCloseBoxBehavesLikeExit)
{
    StartUp(program);
    program.loaded<frmMain>()->close();
    EXPECT_EQ(program.loaded<frmMain>(), nullptr);
    ASSERT_NE(program.loaded<frmNagScreen2>(), nullptr);
    EXPECT_EQ(fake.process.ends, 0);

    program.loaded<frmNagScreen2>()->close();
    EXPECT_EQ(fake.process.ends, 1);
}

TEST_F(ProgramTest, UnloadAllFormsUnloadsEveryLoadedWindowAndEndsOnce)
{
    StartUp(program);
    frmMain& chooser = *program.loaded<frmMain>();
    control<QRadioButton>(chooser, indexed("OptHypno", 0))->setChecked(true);
    chooser.cmdNext_Click();
    ASSERT_NE(program.loaded<mdifrm>(), nullptr);

    program.UnloadAllForms();
    EXPECT_EQ(fake.process.ends, 1);
    EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
    EXPECT_EQ(program.loaded<frmHypno>(), nullptr);
    returnToEventLoop();
    program.UnloadAllForms();
    EXPECT_EQ(fake.process.ends, 1) << "the process ends once";
}

} // namespace
