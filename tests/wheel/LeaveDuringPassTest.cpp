// Leaving the colour wheel from inside a pass. The yield runs the event loop, as the
// window's own yield does, so the unloaded windows' deferred destruction could fall due
// there; the pass and the tick still on the stack must find their window intact. Run
// under AddressSanitizer, a window freed too early shows up as a use after free.

#include "Controls.h"
#include "WheelRun.h"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

struct Leave {
    const char* name;
    std::function<void(WheelRun&)> act;
};

class LeavingDuringAPass : public ::testing::TestWithParam<Leave> {};

TEST_P(LeavingDuringAPass, KeepsTheWindowsUntilThePassHasEndedThenDestroysThem)
{
    WheelRun run;
    run.proceed();
    frmHypno& window = run.wheel();
    int circles = 0;
    std::size_t waitingDuringPass = 0;
    window.replaceYield([&] {
        ++circles;
        if (circles == 3)
            QMetaObject::invokeMethod(
                qApp, [&] { GetParam().act(run); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        waitingDuringPass = run.program.forms().pendingDestruction();
    });
    window.mnuChangeDirection_Click();
    control<platform::FormTimer>(window, "Timer1")->tick();

    // The pass ended before its next circle, and no other pass started.
    EXPECT_EQ(circles, 3);
    EXPECT_FALSE(run.state().StopRequested);
    EXPECT_GE(waitingDuringPass, 2u);
    EXPECT_EQ(run.program.loaded<frmHypno>(), nullptr);
    EXPECT_EQ(run.program.loaded<mdifrm>(), nullptr);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(run.program.forms().pendingDestruction(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Wheel, LeavingDuringAPass,
    ::testing::Values(Leave{"BackMenu", [](WheelRun& run) { control<QAction>(run.wheel(), "mnuFileBAck")->trigger(); }},
                      Leave{"BackButton", [](WheelRun& run) { control<QPushButton>(run.frame(), "cmdBack")->click(); }},
                      Leave{"CloseBox", [](WheelRun& run) { run.frame().close(); }},
                      Leave{"UnloadAllForms", [](WheelRun& run) { run.program.UnloadAllForms(); }}),
    [](const ::testing::TestParamInfo<Leave>& info) { return std::string(info.param.name); });

TEST(LeavingDuringAPass, ClosingTheFrameShowsTheChooserAndDrawsNothingMore)
{
    WheelRun run;
    run.proceed();
    const std::vector<SeenCircle> circles = run.tick([&](int circle) {
        if (circle == 7)
            run.frame().close();
    });
    EXPECT_EQ(circles.size(), 7u);
    EXPECT_TRUE(run.program.form<frmMain>().isVisible());
    EXPECT_EQ(run.program.loaded<mdifrm>(), nullptr);
}

TEST(LeavingDuringAPass, GoingBackAndForthLeavesNoWidgetsBehind)
{
    WheelRun run;
    const auto showAndLeave = [&] {
        run.proceed();
        run.tick([&](int circle) {
            if (circle == 5)
                control<QPushButton>(run.frame(), "cmdBack")->click();
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    showAndLeave();
    const qsizetype widgets = QApplication::allWidgets().size();
    for (int i = 0; i < 20; ++i)
        showAndLeave();
    EXPECT_EQ(QApplication::allWidgets().size(), widgets);
    EXPECT_EQ(run.program.forms().pendingDestruction(), 0u);
}

} // namespace
