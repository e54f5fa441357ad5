// When the desktop is asked to keep the screen awake: the rule on its own, then the
// user's way through the chooser, the displays and the frame.

#include "Controls.h"
#include "ProgramFixture.h"

#include "app/ScreenAwake.h"
#include "frame/mdifrm.h"
#include "movie/frmBoxPendulam.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <vector>

namespace {

const QString Hold = QStringLiteral("hold: Showing a self-hypnosis visual");
const QString Release = QStringLiteral("release");

struct Report {
    enum Part { Visual, Frame } part;
    bool on;
};

struct RuleCase {
    const char* name;
    std::vector<Report> reports;
    QStringList expected;
};

// The orders of reports that the user's way through the program below does not take.
class ScreenAwakeRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(ScreenAwakeRule, HoldsOnlyWhileAVisualRunsInSight)
{
    fakes::IdleInhibitor inhibitor;
    ScreenAwake awake(inhibitor);
    for (const Report& report : GetParam().reports) {
        if (report.part == Report::Visual)
            awake.setVisualRunning(report.on);
        else
            awake.setFrameInSight(report.on);
    }
    EXPECT_EQ(inhibitor.calls, GetParam().expected);
    EXPECT_EQ(awake.held(), !GetParam().expected.isEmpty() && GetParam().expected.last() == Hold);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ScreenAwakeRule,
    ::testing::Values(
        RuleCase{"RunningOutOfSight", {{Report::Visual, true}}, {}},
        RuleCase{"InSightNotRunning", {{Report::Frame, true}}, {}},
        RuleCase{"RunningThenInSight", {{Report::Visual, true}, {Report::Frame, true}}, {Hold}},
        RuleCase{"RepeatedReportsHoldOnce",
                 {{Report::Frame, true}, {Report::Visual, true}, {Report::Visual, true}, {Report::Frame, true}},
                 {Hold}},
        RuleCase{"StoppedWhileMinimisedStaysReleasedOnRestore",
                 {{Report::Frame, true},
                  {Report::Visual, true},
                  {Report::Frame, false},
                  {Report::Visual, false},
                  {Report::Frame, true}},
                 {Hold, Release}},
        RuleCase{"RepeatedReleaseReleasesOnce",
                 {{Report::Frame, true}, {Report::Visual, true}, {Report::Frame, false}, {Report::Visual, false}},
                 {Hold, Release}}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

enum Method { ColorWheel = 0, ColorBox = 1, Pendulum = 2 };

class ScreenAwakeInTheProgram : public ProgramTest {
protected:
    void SetUp() override { StartUp(program); }

    void proceedWith(Method method)
    {
        frmMain& chooser = *program.loaded<frmMain>();
        control<QRadioButton>(chooser, indexed("OptHypno", method))->setChecked(true);
        control<QLineEdit>(chooser, "txtInputText")->setText(QStringLiteral("calm"));
        control<QPushButton>(chooser, "cmdNext")->click();
    }
    void wheelMenu(const char* entry) { control<QAction>(*program.loaded<frmHypno>(), entry)->trigger(); }
    mdifrm& frame() { return *program.loaded<mdifrm>(); }
    void back()
    {
        control<QPushButton>(frame(), "cmdBack")->click();
        returnToEventLoop();
    }

    // The calls so far, from the last step's on; each step checks only its own.
    QStringList callsSince(qsizetype& seen)
    {
        const QStringList calls = fake.idle.calls.mid(seen);
        seen = fake.idle.calls.size();
        return calls;
    }
};

TEST_F(ScreenAwakeInTheProgram, FollowsTheUserThroughWheelMoviesMinimisingAndExit)
{
    struct Step {
        const char* what;
        std::function<void()> act;
        QStringList expected;
    };
    const std::vector<Step> steps = {
        {"proceed to the wheel", [&] { proceedWith(ColorWheel); }, {Hold}},
        {"stop", [&] { wheelMenu("mnuFileStopHypnodisc"); }, {Release}},
        {"stop again", [&] { wheelMenu("mnuFileStopHypnodisc"); }, {}},
        {"start", [&] { wheelMenu("mnuFileStartHypnodisc"); }, {Hold}},
        {"change direction", [&] { wheelMenu("mnuChangeDirection"); }, {}},
        {"minimise", [&] { frame().showMinimized(); }, {Release}},
        {"restore", [&] { frame().showNormal(); }, {Hold}},
        {"stop, minimise, restore", [&] {
             wheelMenu("mnuFileStopHypnodisc");
             frame().showMinimized();
             frame().showNormal();
         }, {Release}},
        {"start", [&] { wheelMenu("mnuFileStartHypnodisc"); }, {Hold}},
        {"back", [&] { back(); }, {Release}},
        {"proceed to the colour boxes", [&] { proceedWith(ColorBox); }, {Hold}},
        {"turn the boxes round",
         [&] { control<QPushButton>(*program.loaded<frmBoxPendulam>(), "cmdChangeDirection")->click(); }, {}},
        {"minimise", [&] { frame().showMinimized(); }, {Release}},
        {"restore", [&] { frame().showNormal(); }, {Hold}},
        {"back", [&] { back(); }, {Release}},
        {"proceed to the pendulum", [&] { proceedWith(Pendulum); }, {Hold}},
        {"close the frame", [&] {
             frame().close();
             returnToEventLoop();
         }, {Release}},
        {"proceed to the wheel", [&] { proceedWith(ColorWheel); }, {Hold}},
        {"exit", [&] { program.UnloadAllForms(); }, {Release}},
    };
    qsizetype seen = 0;
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(callsSince(seen), step.expected) << step.what;
    }
    EXPECT_EQ(fake.process.ends, 1);
}

TEST_F(ScreenAwakeInTheProgram, TheChooserAloneHoldsNothing)
{
    control<QAction>(*program.loaded<frmMain>(), "mnuFileExit")->trigger();
    returnToEventLoop();
    EXPECT_TRUE(fake.idle.calls.isEmpty());
}

} // namespace
