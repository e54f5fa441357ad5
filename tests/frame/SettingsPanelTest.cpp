// The frame's settings panel acting on a running colour wheel: the sliders' change
// handling, the zero guard, what each slider clears, the value boxes and the buttons.

#include "Controls.h"
#include "WheelRun.h"
#include "frame/GeneralNumber.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using modHypno::Rgb;

namespace {

class Panel : public ::testing::Test, public WheelRun {
protected:
    void SetUp() override { proceed(); }
};

TEST_F(Panel, ValueBoxesShowTheirCaptionsUntilTheFirstTickThenTheValues)
{
    // A frame of its own, before any colour-wheel window has moved its sliders.
    WheelRun fresh;
    mdifrm& bare = fresh.program.form<mdifrm>();
    EXPECT_EQ(control<QLabel>(bare, "lblSize")->text(), "Size");
    EXPECT_EQ(control<QLabel>(bare, "lblDensity")->text(), "Density");
    EXPECT_EQ(control<QLabel>(bare, "lblWidth")->text(), "Width");
    EXPECT_EQ(control<QScrollBar>(bare, "ScrollBarSize")->value(), 100);
    EXPECT_EQ(control<QScrollBar>(bare, "ScrollBarDensity")->value(), 800);
    EXPECT_EQ(control<QScrollBar>(bare, "ScrollBarWidth")->value(), 1);
    EXPECT_EQ(control<QScrollBar>(bare, "ScrollBarColorMultiplier")->value(), 1);

    EXPECT_TRUE(control<platform::FormTimer>(frame(), "Timer1")->isEnabled());
    EXPECT_EQ(control<platform::FormTimer>(frame(), "Timer1")->interval(), 100);
    control<platform::FormTimer>(frame(), "Timer1")->tick();
    EXPECT_EQ(control<QLabel>(frame(), "lblSize")->text(), "1000");
    EXPECT_EQ(control<QLabel>(frame(), "lblDensity")->text(), "5");
    EXPECT_EQ(control<QLabel>(frame(), "lblWidth")->text(), "2");
}

TEST(GeneralNumber, ShortestFormWithSevenDigitsInTheUsersLocale)
{
    struct Row {
        float value;
        const char* english;
        const char* german;
    };
    // Single-precision values as the renderer stores them: 0.01 is not exact in binary.
    for (const Row& row : {Row{5.0f, "5", "5"}, Row{0.01f, "0.01", "0,01"}, Row{2.5f, "2.5", "2,5"},
                           Row{10.0f, "10", "10"}, Row{0.07f, "0.07", "0,07"}, Row{3.33f, "3.33", "3,33"},
                           Row{1234.567f, "1234.567", "1234,567"}, Row{1234.5678f, "1234.568", "1234,568"}}) {
        EXPECT_EQ(generalNumber(row.value, QLocale(QLocale::English)), row.english);
        EXPECT_EQ(generalNumber(row.value, QLocale(QLocale::German)), row.german);
    }
}

TEST_F(Panel, TheDensityBoxUsesTheUsersDecimalSeparator)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(250);
    control<platform::FormTimer>(frame(), "Timer1")->tick();
    QLocale::setDefault(before);
    EXPECT_EQ(control<QLabel>(frame(), "lblDensity")->text(), "2,5");
}

TEST_F(Panel, DensityAtZeroJumpsToOneAndClearsThePicture)
{
    tick();
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(0);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarDensity")->value(), 1);
    EXPECT_FLOAT_EQ(state().RadiusStep, 0.01f);
    EXPECT_TRUE(pictureBlank());
    control<platform::FormTimer>(frame(), "Timer1")->tick();
    EXPECT_EQ(control<QLabel>(frame(), "lblDensity")->text(), QLocale().toString(0.01));
    // The next pass's rings are 0.01 twips apart.
    control<QScrollBar>(frame(), "ScrollBarSize")->setValue(2);
    const std::vector<SeenCircle> circles = tick();
    ASSERT_GE(circles.size(), 2u);
    EXPECT_NEAR(circles[1].radius - circles[0].radius, 0.01f, 1e-5f);
}

TEST_F(Panel, SizeAtZeroJumpsToOneAndPassesDrawOneCircle)
{
    int clearsBefore = 0;
    tick([&](int circle) {
        if (circle == 30) {
            control<QScrollBar>(frame(), "ScrollBarSize")->setValue(0);
            clearsBefore = pictureBlank() ? 1 : 0;
        }
    });
    EXPECT_EQ(clearsBefore, 1);
    EXPECT_EQ(control<QScrollBar>(frame(), "ScrollBarSize")->value(), 1);
    EXPECT_EQ(state().MaxRadius, 1);
    const std::vector<SeenCircle> circles = tick();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_FLOAT_EQ(circles[0].radius, 1.0f);
    EXPECT_EQ(circles[0].colour, (Rgb{5, 2, 3}));
    wheel().mnuChangeDirection_Click();
    const std::vector<SeenCircle> inward = tick();
    ASSERT_EQ(inward.size(), 1u);
    EXPECT_FLOAT_EQ(inward[0].radius, 1.0f);
}

TEST_F(Panel, TheZeroGuardRunsTheChangeHandlingAgainFromInside)
{
    // The inner run stores 1 and clears; the outer one then clears again and reads 1.
    tick();
    std::vector<std::int16_t> seenInHandler;
    QObject::connect(control<QScrollBar>(frame(), "ScrollBarSize"), &QScrollBar::valueChanged, &frame(),
                     [&](int value) { seenInHandler.push_back(static_cast<std::int16_t>(value)); });
    control<QScrollBar>(frame(), "ScrollBarSize")->setValue(0);
    EXPECT_EQ(seenInHandler, (std::vector<std::int16_t>{1, 0}));
    EXPECT_EQ(state().MaxRadius, 1);
    EXPECT_FALSE(state().CenterReady);
}

TEST_F(Panel, OnlySizeDensityAndWidthClearThePicture)
{
    struct Row {
        const char* name;
        std::function<void()> act;
        bool clears;
    };
    const std::vector<Row> rows = {
        {"Size", [&] { control<QScrollBar>(frame(), "ScrollBarSize")->setValue(1500); }, true},
        {"Density", [&] { control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(300); }, true},
        {"Width", [&] { control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(7); }, true},
        {"Color Multiplier", [&] { control<QScrollBar>(frame(), "ScrollBarColorMultiplier")->setValue(9); }, false},
        {"left click", [&] { QTest::mouseClick(&wheel(), Qt::LeftButton, {}, QPoint(5, 5)); }, false},
        {"Change Direction", [&] { control<QPushButton>(frame(), "cmdChangeDirection")->click(); }, false},
    };
    for (const Row& row : rows) {
        tick();
        ASSERT_FALSE(pictureBlank()) << row.name;
        row.act();
        EXPECT_EQ(pictureBlank(), row.clears) << row.name;
        if (state().WheelDirection == 1)
            wheel().mnuChangeDirection_Click();
    }
}

TEST_F(Panel, SizeRestartsTheColoursAtTheNextPassButDensityAndWidthDoNot)
{
    tick();
    tick();
    control<QScrollBar>(frame(), "ScrollBarDensity")->setValue(400);
    control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(3);
    EXPECT_EQ(tick()[0].colour, (Rgb{15, 6, 9}));
    control<QScrollBar>(frame(), "ScrollBarSize")->setValue(1200);
    EXPECT_EQ(tick()[0].colour, (Rgb{5, 2, 3}));
}

TEST_F(Panel, TheColorMultiplierActsFromTheNextCircleWithoutClearing)
{
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 10)
            control<QScrollBar>(frame(), "ScrollBarColorMultiplier")->setValue(3);
    });
    EXPECT_EQ(circles[9].colour, (Rgb{50, 20, 30}));
    EXPECT_EQ(circles[10].colour, (Rgb{65, 26, 39}));
    EXPECT_FALSE(pictureBlank());
    EXPECT_EQ(state().CenterReady, true);
}

TEST_F(Panel, TheWidthActsFromTheNextCircleOfTheRunningPass)
{
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 100)
            control<QScrollBar>(frame(), "ScrollBarWidth")->setValue(12);
    });
    EXPECT_EQ(circles[99].penWidth, 2);
    EXPECT_EQ(circles[100].penWidth, 12);
    EXPECT_EQ(state().LineWidth, 12);
    EXPECT_FALSE(pictureBlank());
}

TEST_F(Panel, SizeDuringAnInwardPassWaitsForTheNextPass)
{
    wheel().mnuChangeDirection_Click();
    tick();
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 20)
            control<QScrollBar>(frame(), "ScrollBarSize")->setValue(600);
    });
    ASSERT_EQ(circles.size(), 200u);
    EXPECT_FLOAT_EQ(circles[0].radius, 1000.0f);
    const std::vector<SeenCircle> next = tick();
    EXPECT_FLOAT_EQ(next[0].radius, 600.0f);
    EXPECT_EQ(next[0].colour, (Rgb{5, 2, 3}));
    EXPECT_EQ(next.size(), 120u);
}

TEST_F(Panel, ADraggedThumbActsOnlyWhenLetGo)
{
    QScrollBar& size = *control<QScrollBar>(frame(), "ScrollBarSize");
    tick();
    size.setSliderDown(true);
    size.setSliderPosition(1800);
    size.setSliderPosition(1900);
    EXPECT_EQ(state().MaxRadius, 1000);
    EXPECT_FALSE(pictureBlank());
    size.setSliderDown(false);
    EXPECT_EQ(state().MaxRadius, 1900);
    EXPECT_TRUE(pictureBlank());
}

TEST_F(Panel, ArrowsTrackAndKeysActAtOnce)
{
    QScrollBar& size = *control<QScrollBar>(frame(), "ScrollBarSize");
    size.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(state().MaxRadius, 1001);
    size.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(state().MaxRadius, 1011);
    QTest::keyClick(&size, Qt::Key_Left);
    EXPECT_EQ(state().MaxRadius, 1010);
    QTest::keyClick(&size, Qt::Key_Right);
    QTest::keyClick(&size, Qt::Key_Right);
    EXPECT_EQ(state().MaxRadius, 1012);
    // Home is the bottom of the range, which the zero guard turns into 1.
    QTest::keyClick(&size, Qt::Key_Home);
    EXPECT_EQ(state().MaxRadius, 1);
    QScrollBar& density = *control<QScrollBar>(frame(), "ScrollBarDensity");
    density.triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_FLOAT_EQ(state().RadiusStep, 4.9f);
}

TEST_F(Panel, ChangeDirectionToggles)
{
    control<QPushButton>(frame(), "cmdChangeDirection")->click();
    EXPECT_EQ(state().WheelDirection, 1);
    control<QPushButton>(frame(), "cmdChangeDirection")->click();
    EXPECT_EQ(state().WheelDirection, 0);
}

TEST_F(Panel, BackFromThePanelUnloadsBothWindowsAndShowsTheChooser)
{
    control<QLineEdit>(program.form<frmMain>(), "txtInputText")->setText(QStringLiteral("calm"));
    const std::vector<SeenCircle> circles = tick([&](int circle) {
        if (circle == 40)
            control<QPushButton>(frame(), "cmdBack")->click();
    });
    EXPECT_EQ(circles.size(), 40u);
    EXPECT_EQ(program.loaded<frmHypno>(), nullptr);
    EXPECT_EQ(program.loaded<mdifrm>(), nullptr);
    frmMain& chooser = program.form<frmMain>();
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_TRUE(control<QRadioButton>(chooser, indexed("OptHypno", 0))->isChecked());
    EXPECT_EQ(control<QLineEdit>(chooser, "txtInputText")->text(), "calm");
}

TEST_F(Panel, TheStripsStackInOrderWithTheirDesignedHeights)
{
    // The wheel's frame hides the text strip; a frame of its own shows all four.
    WheelRun fresh;
    mdifrm& bare = fresh.program.form<mdifrm>();
    bare.Show();
    int top = 0;
    for (QWidget* strip : std::initializer_list<QWidget*>{control<QFrame>(bare, "Picture4"), control<QFrame>(bare, "Picture2"), control<QFrame>(bare, "Picture1"), control<QFrame>(bare, "PicCaption")}) {
        EXPECT_EQ(strip->y(), top) << strip->objectName().toStdString();
        EXPECT_EQ(strip->width(), bare.centralWidget()->width());
        top += strip->height();
    }
    EXPECT_EQ(control<QFrame>(bare, "Picture4")->height(), 32);
    EXPECT_EQ(control<QFrame>(bare, "Picture2")->height(), 1);
    EXPECT_EQ(control<QFrame>(bare, "Picture1")->height(), 104);
    EXPECT_EQ(control<QFrame>(bare, "PicCaption")->height(), 32);
    EXPECT_FALSE(control<QFrame>(frame(), "PicCaption")->isVisible());
    EXPECT_TRUE(control<QFrame>(frame(), "Picture1")->isVisible());
}

} // namespace
