// The chooser: the choice of method, the text, Proceed and the way back.

#include "Controls.h"
#include "ProgramFixture.h"

#include "frame/mdifrm.h"
#include "movie/frmBoxPendulam.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "swf/PlayerWidget.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

enum Method { ColorWheel = 0, ColorBox = 1, Pendulum = 2 };

class ChooserTest : public ProgramTest {
protected:
    void SetUp() override { StartUp(program); }

    frmMain& chooser() { return *program.loaded<frmMain>(); }
    QRadioButton* option(int method) { return control<QRadioButton>(chooser(), indexed("OptHypno", method)); }

    void proceedWith(Method method, const QString& text = QStringLiteral("relax"))
    {
        option(method)->setChecked(true);
        control<QLineEdit>(chooser(), "txtInputText")->setText(text);
        control<QPushButton>(chooser(), "cmdNext")->click();
    }

    void goBack()
    {
        if (frmHypno* wheel = program.loaded<frmHypno>())
            control<QAction>(*wheel, "mnuFileBAck")->trigger();
        else if (frmBoxPendulam* movie = program.loaded<frmBoxPendulam>())
            control<QPushButton>(*movie, "cmdBack")->click();
        returnToEventLoop();
    }
};

TEST_F(ChooserTest, ProceedWithoutAChoiceSaysSoAndChangesNothing)
{
    control<QLineEdit>(chooser(), "txtInputText")->setText(QStringLiteral("calm"));
    control<QAction>(chooser(), "mnuFileNext")->trigger();
    control<QPushButton>(chooser(), "cmdNext")->click();

    EXPECT_EQ(fake.messages.texts(),
              QStringList(2, QStringLiteral("Please Select any of the following hypnosis method")));
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MsgIcon::Critical);
    EXPECT_TRUE(chooser().isVisible());
    EXPECT_EQ(control<QLineEdit>(chooser(), "txtInputText")->text(), QStringLiteral("calm"));
    EXPECT_EQ(program.loaded<mdifrm>(), nullptr);

    proceedWith(ColorWheel);
    EXPECT_FALSE(chooser().isVisible());
    EXPECT_EQ(fake.messages.shown.size(), 2u);
}

TEST_F(ChooserTest, OptionsAreIndexedByMethodNotByPosition)
{
    EXPECT_EQ(option(ColorWheel)->text(), QStringLiteral("Color Wheel"));
    EXPECT_EQ(option(ColorBox)->text(), QStringLiteral("Color Box"));
    EXPECT_EQ(option(Pendulum)->text(), QStringLiteral("Pendulum"));
    EXPECT_LT(option(Pendulum)->x(), option(ColorBox)->x());
    EXPECT_LT(option(ColorBox)->x(), option(ColorWheel)->x());
    for (const Method method : {ColorWheel, ColorBox, Pendulum})
        EXPECT_FALSE(option(method)->isChecked()) << "none is chosen at start";

    option(ColorBox)->setChecked(true);
    option(Pendulum)->setChecked(true);
    EXPECT_FALSE(option(ColorBox)->isChecked()) << "choosing one clears the others";
}

TEST_F(ChooserTest, ColorWheelShowsTheWheelInTheFrameWithTheTextStripHidden)
{
    proceedWith(ColorWheel, QStringLiteral("I am calm"));
    mdifrm& frame = *program.loaded<mdifrm>();
    frmHypno& wheel = *program.loaded<frmHypno>();

    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(wheel.isVisible());
    EXPECT_EQ(wheel.Left(), 0);
    EXPECT_EQ(wheel.Top(), 0);
    EXPECT_TRUE(control<QFrame>(frame, "PicCaption")->isHidden());
    EXPECT_FALSE(control<QFrame>(frame, "Picture1")->isHidden());
    EXPECT_EQ(control<QLabel>(frame, "lblDisplay")->text(), QStringLiteral("I am calm"));
    EXPECT_FALSE(chooser().isVisible());
    EXPECT_EQ(program.loaded<frmBoxPendulam>(), nullptr);
}

TEST_F(ChooserTest, ColorBoxPlaysTheUpwardMovieAndSetsTheDirectionFlag)
{
    proceedWith(ColorBox);
    mdifrm& frame = *program.loaded<mdifrm>();
    frmBoxPendulam& movie = *program.loaded<frmBoxPendulam>();

    EXPECT_EQ(control<swf::PlayerWidget>(movie, "SWF")->movie(), QStringLiteral("/opt/somnara/BoxUpward.swf"));
    EXPECT_TRUE(control<QFrame>(frame, "Picture1")->isHidden());
    EXPECT_FALSE(control<QFrame>(frame, "PicCaption")->isHidden());
    EXPECT_TRUE(movie.isVisible());
    EXPECT_EQ(movie.Left(), 0);
    EXPECT_EQ(movie.Top(), 0);
    EXPECT_EQ(program.BoxDirectionUp, VbTrue);
    EXPECT_TRUE(control<QAction>(movie, "mnuChangeDirection")->isVisible());
    EXPECT_FALSE(control<QPushButton>(movie, "cmdChangeDirection")->isHidden());
}

TEST_F(ChooserTest, PendulumPlaysOnBlackHidesTheDirectionControlsAndLeavesTheFlag)
{
    program.BoxDirectionUp = VbFalse;
    proceedWith(Pendulum);
    frmBoxPendulam& movie = *program.loaded<frmBoxPendulam>();

    EXPECT_EQ(control<swf::PlayerWidget>(movie, "SWF")->movie(), QStringLiteral("/opt/somnara/Pendulum.swf"));
    EXPECT_EQ(control<swf::PlayerWidget>(movie, "SWF")->backgroundColor(), QColor(0, 0, 0));
    EXPECT_FALSE(control<QAction>(movie, "mnuChangeDirection")->isVisible());
    EXPECT_TRUE(control<QPushButton>(movie, "cmdChangeDirection")->isHidden());
    EXPECT_TRUE(control<QFrame>(*program.loaded<mdifrm>(), "Picture1")->isHidden());
    EXPECT_EQ(program.BoxDirectionUp, VbFalse);
}

TEST_F(ChooserTest, ColorBoxAfterPendulumHasItsDirectionControlsBack)
{
    proceedWith(Pendulum);
    goBack();
    proceedWith(ColorBox);
    frmBoxPendulam& movie = *program.loaded<frmBoxPendulam>();
    EXPECT_TRUE(control<QAction>(movie, "mnuChangeDirection")->isVisible());
    EXPECT_FALSE(control<QPushButton>(movie, "cmdChangeDirection")->isHidden());
}

TEST_F(ChooserTest, ColorBoxAlwaysStartsUpward)
{
    proceedWith(ColorBox);
    control<QPushButton>(*program.loaded<frmBoxPendulam>(), "cmdChangeDirection")->click();
    EXPECT_EQ(program.BoxDirectionUp, VbFalse);
    goBack();
    EXPECT_EQ(program.BoxDirectionUp, VbFalse) << "closing leaves the flag";
    proceedWith(ColorBox);
    EXPECT_EQ(program.BoxDirectionUp, VbTrue);
    EXPECT_EQ(control<swf::PlayerWidget>(*program.loaded<frmBoxPendulam>(), "SWF")->movie(), QStringLiteral("/opt/somnara/BoxUpward.swf"));
}

TEST_F(ChooserTest, BackKeepsTheChoiceAndTextAndDoesNotRunTheLoadAgain)
{
    const qsizetype lookupsAtStart = fake.files.lookups.size();
    proceedWith(ColorBox, QStringLiteral("deeper"));
    goBack();

    EXPECT_TRUE(chooser().isVisible());
    EXPECT_TRUE(option(ColorBox)->isChecked());
    EXPECT_EQ(control<QLineEdit>(chooser(), "txtInputText")->text(), QStringLiteral("deeper"));
    EXPECT_EQ(fake.files.lookups.size(), lookupsAtStart) << "no second file check";
    EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
    EXPECT_EQ(program.loaded<frmBoxPendulam>(), nullptr);
}

TEST_F(ChooserTest, EveryWayBackUnloadsTheDisplayAndTheFrame)
{
    const std::function<void()> ways[] = {
        [&] { control<QAction>(*program.loaded<frmHypno>(), "mnuFileBAck")->trigger(); },
        [&] { control<QPushButton>(*program.loaded<mdifrm>(), "cmdBack")->click(); },
        [&] { program.loaded<mdifrm>()->close(); },
    };
    for (const auto& back : ways) {
        proceedWith(ColorWheel);
        back();
        returnToEventLoop();
        EXPECT_EQ(program.loaded<frmHypno>(), nullptr);
        EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
        EXPECT_TRUE(chooser().isVisible());
    }
    EXPECT_EQ(program.forms().pendingDestruction(), 0u);
}

TEST_F(ChooserTest, TheWholeTextUpTo55CharactersReachesTheDisplay)
{
    option(ColorWheel)->setChecked(true);
    control<QLineEdit>(chooser(), "txtInputText")->setFocus();
    QTest::keyClicks(control<QLineEdit>(chooser(), "txtInputText"), QString(60, QLatin1Char('z')));
    control<QPushButton>(chooser(), "cmdNext")->click();
    EXPECT_EQ(control<QLabel>(*program.loaded<mdifrm>(), "lblDisplay")->text(), QString(55, QLatin1Char('z')));
}

TEST_F(ChooserTest, EmptyTextGivesAnEmptyDisplay)
{
    proceedWith(ColorWheel, QString());
    EXPECT_EQ(control<QLabel>(*program.loaded<mdifrm>(), "lblDisplay")->text(), QString());
}

TEST_F(ChooserTest, FrameMenuBarShowsTheActiveChildsMenus)
{
    proceedWith(ColorBox);
    QStringList captions;
    for (QAction* action : program.loaded<mdifrm>()->menuBar()->actions())
        captions.append(action->text());
    EXPECT_EQ(captions, (QStringList{QStringLiteral("&File"), QStringLiteral("&Help"), QStringLiteral("&Donate")}));
}

} // namespace
