// The colour-wheel window as the user meets it: loaded by Proceed, drawing one pass per
// tick, with its menus, mouse and Back acting from inside a running pass.

#include "Controls.h"
#include "WheelRun.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using modHypno::Rgb;

namespace {

class Wheel : public ::testing::Test, public WheelRun {
protected:
    void SetUp() override { proceed(); }
};

TEST_F(Wheel, LoadGivesTheRendererItsParametersAndMovesTheSliders)
{
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarSize")->value(), 1000);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarDensity")->value(), 500);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarWidth")->value(), 2);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarColorMultiplier")->value(), 1);
    // The Width slider's change set the pen; the Size slider's asked for a restart.
    EXPECT_EQ(wheel().DrawWidth(), 2);
    EXPECT_FALSE(state().CenterReady);
    EXPECT_EQ(wheel().viewObject, &wheel());
    EXPECT_TRUE(control<platform::FormTimer>(wheel(), "Timer1")->isEnabled());
    EXPECT_EQ(control<platform::FormTimer>(wheel(), "Timer1")->interval(), 1);
    EXPECT_TRUE(wheel().isVisible());
    EXPECT_FALSE(program.form<frmMain>().isVisible());
}

TEST_F(Wheel, MenusAreListedInOrderAndTheFrameShowsThem)
{
    QStringList file;
    for (QAction* action : control<QMenu>(wheel(), "mnuFile")->actions())
        file << action->text();
    EXPECT_EQ(file, (QStringList{"&Start Color Wheel", "St&op Color Wheel", "&Change Direction", "&Back"}));
    QStringList bar;
    for (QAction* action : frame().menuBar()->actions())
        bar << action->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Help", "&Donate"}));
}

TEST_F(Wheel, TheFirstTickDrawsAnOutwardPassAroundTheMiddleOfTheWindow)
{
    const std::vector<SeenCircle> circles = tick();
    ASSERT_EQ(circles.size(), 200u);
    EXPECT_FLOAT_EQ(circles[0].radius, 1.0f);
    EXPECT_EQ(circles[0].colour, (Rgb{5, 2, 3}));
    EXPECT_EQ(circles[1].colour, (Rgb{10, 4, 6}));
    EXPECT_EQ(state().CenterX, 5955);
    EXPECT_EQ(state().CenterY, 2700);
    EXPECT_FALSE(pictureBlank());
    // The next tick's first circle is one step on.
    EXPECT_EQ(tick()[0].colour, (Rgb{10, 4, 6}));
}

TEST_F(Wheel, ALeftClickRestartsTheColoursAtTheNextPassWithoutClearing)
{
    tick();
    tick();
    const std::vector<SeenCircle> during = tick([&](int circle) {
        if (circle == 50)
            QTest::mouseClick(&wheel(), Qt::LeftButton, {}, QPoint(300, 100));
    });
    EXPECT_EQ(during.size(), 200u);
    EXPECT_FALSE(pictureBlank());
    EXPECT_EQ(tick()[0].colour, (Rgb{5, 2, 3}));
}

TEST_F(Wheel, ARightClickPopsUpTheFileMenu)
{
    tick([&](int circle) {
        if (circle == 3)
            QTest::mouseClick(&wheel(), Qt::RightButton, {}, QPoint(20, 20));
    });
    EXPECT_TRUE(control<QMenu>(wheel(), "mnuFile")->isVisible());
    EXPECT_FALSE(control<QMenu>(wheel(), "mnuFile")->actions().isEmpty());
    control<QMenu>(wheel(), "mnuFile")->hide();
}

TEST_F(Wheel, TheKeyboardReachesWhatTheMouseDoes)
{
    tick();
    tick([&](int circle) {
        if (circle == 50)
            QTest::keyClick(&wheel(), Qt::Key_Space);
    });
    EXPECT_EQ(tick()[0].colour, (Rgb{5, 2, 3})) << "Space restarts the colours like a left click";

    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10), wheel().mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(&wheel(), &menuKey);
    EXPECT_TRUE(control<QMenu>(wheel(), "mnuFile")->isVisible()) << "the Menu key opens the File menu";
    control<QMenu>(wheel(), "mnuFile")->hide();
}

TEST_F(Wheel, StopLetsThePassFinishAndStartResumesWithANewPass)
{
    const std::vector<SeenCircle> stopped = tick([&](int circle) {
        if (circle == 20)
            control<QAction>(wheel(), "mnuFileStopHypnodisc")->trigger();
    });
    EXPECT_EQ(stopped.size(), 200u);
    EXPECT_FALSE(control<platform::FormTimer>(wheel(), "Timer1")->isEnabled());
    EXPECT_FALSE(state().StopRequested);
    control<QAction>(wheel(), "mnuFileStartHypnodisc")->trigger();
    EXPECT_TRUE(control<platform::FormTimer>(wheel(), "Timer1")->isEnabled());
    EXPECT_EQ(tick()[0].colour, (Rgb{10, 4, 6}));
}

TEST_F(Wheel, ADirectionChangeDuringAnOutwardPassLetsAnInwardPassFollowInTheSameTick)
{
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 10)
            control<QAction>(wheel(), "mnuChangeDirection")->trigger();
    });
    ASSERT_EQ(circles.size(), 400u);
    EXPECT_FLOAT_EQ(circles[199].radius, 996.0f);
    EXPECT_FLOAT_EQ(circles[200].radius, 1000.0f);
    EXPECT_FLOAT_EQ(circles[399].radius, 5.0f);
    // The inward pass carries the sequence on: one step after the outward pass began.
    EXPECT_EQ(circles[200].colour, (Rgb{10, 4, 6}));
}

TEST_F(Wheel, ADirectionChangeDuringAnInwardPassWaitsForTheNextTick)
{
    wheel().mnuChangeDirection_Click();
    const std::vector<SeenCircle> inward = tick([&](int circle) {
        if (circle == 10)
            control<QPushButton>(frame(), "cmdChangeDirection")->click();
    });
    ASSERT_EQ(inward.size(), 200u);
    EXPECT_FLOAT_EQ(inward[0].radius, 1000.0f);
    const std::vector<SeenCircle> next = tick();
    ASSERT_EQ(next.size(), 200u);
    EXPECT_FLOAT_EQ(next[0].radius, 1.0f);
}

TEST_F(Wheel, TwoDirectionChangesInOnePassLeaveTheDirectionAsItWas)
{
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 10 || circle == 150)
            control<QAction>(wheel(), "mnuChangeDirection")->trigger();
    });
    EXPECT_EQ(circles.size(), 200u);
    EXPECT_EQ(state().WheelDirection, 0);
    EXPECT_FLOAT_EQ(tick()[0].radius, 1.0f);
}

TEST_F(Wheel, ChangeDirectionThenBackInOnePassDrawsNothingMore)
{
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 10)
            control<QAction>(wheel(), "mnuChangeDirection")->trigger();
        if (circle == 12)
            control<QAction>(wheel(), "mnuFileBAck")->trigger();
    });
    EXPECT_EQ(circles.size(), 12u);
    EXPECT_EQ(program.loaded<frmHypno>(), nullptr);
    EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
    EXPECT_TRUE(program.form<frmMain>().isVisible());
    // The request was consumed by the pass it stopped.
    EXPECT_FALSE(state().StopRequested);
}

TEST_F(Wheel, BackWhileStoppedLeavesAStopThatEndsTheFirstPassOfTheNextShowing)
{
    tick();
    control<QAction>(wheel(), "mnuFileStopHypnodisc")->trigger();
    control<QAction>(wheel(), "mnuFileBAck")->trigger();
    EXPECT_TRUE(state().StopRequested);
    EXPECT_EQ(program.loaded<frmHypno>(), nullptr);

    proceed();
    EXPECT_TRUE(tick().empty());
    EXPECT_FALSE(state().StopRequested);
    const std::vector<SeenCircle> circles = tick();
    ASSERT_EQ(circles.size(), 200u);
    EXPECT_EQ(circles[0].colour, (Rgb{5, 2, 3}));
}

TEST_F(Wheel, ASecondShowingStartsFromTheLoadTimeValues)
{
    control<QScrollBar>(frame(), "ScrollBarSize")->setValue(1700);
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(35);
    control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(9);
    control<QScrollBar>(frame(), "ScrollBarColorMultiplier")->setValue(40);
    wheel().mnuChangeDirection_Click();
    tick([&](int circle) {
        if (circle == 5)
            control<QPushButton>(frame(), "cmdBack")->click();
    });

    proceed();
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarSize")->value(), 1000);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarDensity")->value(), 500);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarWidth")->value(), 2);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarColorMultiplier")->value(), 1);
    EXPECT_EQ(state().MaxRadius, 1000);
    EXPECT_FLOAT_EQ(state().RadiusStep, 5.0f);
    EXPECT_EQ(state().ColorSteps, 1);
    EXPECT_EQ(state().WheelDirection, 0);
    const std::vector<SeenCircle> circles = tick();
    ASSERT_EQ(circles.size(), 200u);
    EXPECT_EQ(circles[0].colour, (Rgb{5, 2, 3}));
    EXPECT_EQ(circles[0].penWidth, 2);
}

TEST_F(Wheel, AResizeClearsThePictureAndRemeasuresTheCentre)
{
    tick();
    ASSERT_FALSE(pictureBlank());
    wheel().setFixedSize(601, 301);
    EXPECT_TRUE(pictureBlank());
    EXPECT_FALSE(state().CenterReady);
    tick();
    // 601 pixels are 9015 twips, whose half rounds to the even 4508.
    EXPECT_EQ(state().CenterX, 4508);
    EXPECT_EQ(state().CenterY, 2258);
}

} // namespace
