// The movie window driven through a whole Program, as the chooser opens it: direction
// changes and the flag across reopenings, and the blinking of the text.

#include "Controls.h"
#include "FakeServices.h"
#include "app/Program.h"
#include "flash/FlashAnalysis.h"
#include "frame/mdifrm.h"
#include "movie/frmBoxPendulam.h"
#include "platform/FormTimer.h"
#include "platform/QtServices.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "swf/PlayerWidget.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

enum Method { ColorWheel = 0, ColorBox = 1, Pendulum = 2 };

class MovieWindow : public ::testing::Test {
protected:
    explicit MovieWindow(platform::RandomSource* random = nullptr)
    {
        program = std::make_unique<Program>(platform::Services{fake.messages, fake.process, fake.instance,
                                                               fake.files, fake.clock, fake.monotonic, fake.events,
                                                               random ? *random : fake.random,
                                                               fake.settings, fake.web, fake.idle});
        InstallShell(*program);
        program->form<frmMain>().Show();
    }

    ~MovieWindow() override
    {
        // Leave as a user would: a frame torn down while on screen is the frame's own
        // business, not this window's.
        if (program->loaded<frmBoxPendulam>())
            back();
    }

    void proceed(Method method)
    {
        frmMain& chooser = program->form<frmMain>();
        control<QRadioButton>(chooser, indexed("OptHypno", method))->setChecked(true);
        control<QLineEdit>(chooser, "txtInputText")->setText(QStringLiteral("I am calm"));
        chooser.cmdNext_Click();
    }

    frmBoxPendulam& window()
    {
        frmBoxPendulam* loaded = program->loaded<frmBoxPendulam>();
        if (!loaded)
            throw std::logic_error("the movie window is not loaded");
        return *loaded;
    }

    QLabel& label() { return *control<QLabel>(program->form<mdifrm>(), "lblDisplay"); }
    // The colour the text takes when shown, and whether it is drawn now.
    QColor textColour() { return program->form<mdifrm>().displayTextColour(); }
    bool textShown() { return !label().isHidden() && label().palette().color(QPalette::WindowText).alpha() == 255; }
    QString movie() { return control<swf::PlayerWidget>(window(), "SWF")->movie(); }
    QString file(const QString& name) { return fake.files.folder + name; }

    void back()
    {
        window().cmdBack_Click();
        program->forms().destroyUnloaded();
    }

    void tick() { control<platform::FormTimer>(window(), "Timer1")->tick(); }

    fakes::Services fake;
    std::unique_ptr<Program> program;
};

TEST_F(MovieWindow, ColorBoxSwitchesBetweenItsTwoMoviesWithTheFlag)
{
    proceed(ColorBox);
    EXPECT_EQ(movie(), file(QStringLiteral("/BoxUpward.swf")));
    EXPECT_EQ(program->BoxDirectionUp, VbTrue);
    EXPECT_FALSE(control<QPushButton>(window(), "cmdChangeDirection")->isHidden());
    EXPECT_TRUE(control<QAction>(window(), "mnuChangeDirection")->isVisible());

    control<QPushButton>(window(), "cmdChangeDirection")->click();
    EXPECT_EQ(movie(), file(QStringLiteral("/BoxDownward.swf")));
    EXPECT_EQ(program->BoxDirectionUp, VbFalse);

    control<QAction>(window(), "mnuChangeDirection")->trigger();
    EXPECT_EQ(movie(), file(QStringLiteral("/BoxUpward.swf")));
    EXPECT_EQ(program->BoxDirectionUp, VbTrue);

    // A flag that is neither true nor false changes nothing.
    program->BoxDirectionUp = 1;
    window().mnuChangeDirection_Click();
    EXPECT_EQ(movie(), file(QStringLiteral("/BoxUpward.swf")));
    EXPECT_EQ(program->BoxDirectionUp, 1);
}

TEST_F(MovieWindow, ColorBoxAlwaysStartsUpwardAndPendulumLeavesTheFlagAlone)
{
    proceed(ColorBox);
    window().cmdChangeDirection_Click();
    ASSERT_EQ(program->BoxDirectionUp, VbFalse);
    back();
    EXPECT_EQ(program->BoxDirectionUp, VbFalse); // closing leaves the flag as it was

    proceed(Pendulum);
    EXPECT_EQ(movie(), file(QStringLiteral("/Pendulum.swf")));
    EXPECT_EQ(program->BoxDirectionUp, VbFalse);
    EXPECT_EQ(control<swf::PlayerWidget>(window(), "SWF")->backgroundColor(), QColor(0, 0, 0));
    EXPECT_TRUE(control<QPushButton>(window(), "cmdChangeDirection")->isHidden());
    EXPECT_FALSE(control<QAction>(window(), "mnuChangeDirection")->isVisible());
    back();

    // A fresh window: the direction controls are back, and the box runs upward again.
    proceed(ColorBox);
    EXPECT_EQ(movie(), file(QStringLiteral("/BoxUpward.swf")));
    EXPECT_EQ(program->BoxDirectionUp, VbTrue);
    EXPECT_FALSE(control<QPushButton>(window(), "cmdChangeDirection")->isHidden());
    EXPECT_TRUE(control<QAction>(window(), "mnuChangeDirection")->isVisible());
}

TEST_F(MovieWindow, TheChosenMoviePlaysAndTheDirectionChangeRestartsIt)
{
    fake.files.folder = QStringLiteral(SOMNARA_MOVIE_DIR);
    proceed(ColorBox);
    const auto* movie = control<swf::PlayerWidget>(window(), "SWF");
    ASSERT_TRUE(movie->isVisible());
    // However slow the machine, the movie moves on: the waits end when it has.
    EXPECT_TRUE(QTest::qWaitFor([movie] { return movie->framesAdvanced() >= 5 && movie->currentFrame() > 1; }, 30000));

    QElapsedTimer sinceClick;
    sinceClick.start();
    control<QPushButton>(window(), "cmdChangeDirection")->click();
    // No more frames than 30 a second since the click, with one for rounding: the count
    // started again, whenever the machine lets this thread look.
    const qint64 advanced = movie->framesAdvanced();
    EXPECT_LE(advanced, sinceClick.elapsed() * 30 / 1000 + 1) << "the new movie starts from its beginning";
    EXPECT_TRUE(movie->movie().endsWith(QStringLiteral("BoxDownward.swf")));
    EXPECT_TRUE(QTest::qWaitFor([movie] { return movie->framesAdvanced() >= 3; }, 30000));
}

TEST_F(MovieWindow, BackUnloadsWindowAndFrameStopsTheTimerAndShowsTheChooser)
{
    proceed(Pendulum);
    QPointer<platform::FormTimer> timer = control<platform::FormTimer>(window(), "Timer1");
    EXPECT_TRUE(timer->isEnabled());
    EXPECT_EQ(timer->interval(), 500);

    control<QAction>(window(), "mnuFileBAck")->trigger();
    ASSERT_TRUE(timer);
    EXPECT_FALSE(timer->isEnabled());
    EXPECT_EQ(program->loaded<frmBoxPendulam>(), nullptr);
    EXPECT_EQ(program->loaded<mdifrm>(), nullptr);
    EXPECT_TRUE(program->form<frmMain>().isVisible());
    program->forms().destroyUnloaded();
    EXPECT_FALSE(timer);
}

TEST_F(MovieWindow, TheFramesValueBoxesWakeNobodyWhileAMovieHidesThem)
{
    for (const Method method : {ColorBox, Pendulum}) {
        proceed(method);
        mdifrm& frame = program->form<mdifrm>();
        EXPECT_TRUE(control<QWidget>(frame, "Picture1")->isHidden());
        EXPECT_FALSE(control<platform::FormTimer>(frame, "Timer1")->isTicking()) << method;
        back();
    }
}

TEST_F(MovieWindow, MenusComeInTheirDesignedOrder)
{
    proceed(ColorBox);
    QStringList bar;
    for (QAction* action : window().menuBarActions())
        bar << action->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Help", "&Donate"}));

    const auto entries = [](QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    };
    EXPECT_EQ(entries(control<QMenu>(window(), "mnuFile")), (QStringList{"&Change Direction", "Input &Text", "&Back"}));
    EXPECT_FALSE(control<QAction>(window(), "mnuText")->isEnabled());
    EXPECT_EQ(entries(control<QMenu>(window(), "mnuHelp")), (QStringList{"&Online Help", "&Visit Us Online", "-",
                                                      "&Check for Software Update", "-", "&About Software"}));
}

TEST_F(MovieWindow, TextShowsForTwoTicksThenHidesForOne)
{
    proceed(Pendulum);
    program->form<mdifrm>().setDisplayTextVisible(false); // so that the first tick's showing is seen
    struct Expected {
        bool shown;
        float value;
        std::int16_t phase;
    };
    const Expected ticks[] = {{true, 1, 1}, {true, 2, 2}, {false, 2, 0}, {true, 1, 1}, {true, 2, 2}, {false, 2, 0}};
    int n = 0;
    for (const Expected& expected : ticks) {
        ++n;
        tick();
        EXPECT_EQ(textShown(), expected.shown) << "tick " << n;
        EXPECT_EQ(window().blinkCycle().Value, expected.value) << "tick " << n;
        EXPECT_EQ(program->BlinkPhase, expected.phase) << "tick " << n;
    }
    EXPECT_EQ(window().blinkCycle().Max, 2.0f);
}

TEST_F(MovieWindow, AReopenedWindowCarriesOnWithTheCycle)
{
    proceed(Pendulum);
    tick();
    tick();
    ASSERT_EQ(program->BlinkPhase, 2);
    back();

    proceed(ColorBox);
    EXPECT_EQ(program->BlinkPhase, 2);
    tick(); // the third tick of the cycle, in the new window: hides, Value untouched
    EXPECT_FALSE(textShown());
    EXPECT_EQ(window().blinkCycle().Value, 0.0f);
    EXPECT_EQ(program->BlinkPhase, 0);
    tick();
    EXPECT_TRUE(textShown());
    EXPECT_EQ(window().blinkCycle().Value, 1.0f);
}

TEST_F(MovieWindow, EveryTickRecoloursTheTextFromThePalette)
{
    proceed(ColorBox);
    struct Row {
        float random;
        QColor colour;
    };
    // Each row's index is floor(r * 16); the last of a cycle's ticks is the hidden one.
    const Row rows[] = {
        {0.0f, QColor(192, 192, 192)},       // 0: black is replaced by light grey
        {0.0624f, QColor(192, 192, 192)},    // still 0
        {0.0625f, QColor(0, 0, 128)},        // 1
        {0.45f, QColor(192, 192, 192)},      // 7, light grey in its own right
        {0.5f, QColor(128, 128, 128)},       // 8
        {0.74f, QColor(0, 255, 255)},        // 11
        {0.99999994f, QColor(255, 255, 255)}, // 15, the largest single below 1
        // A source that strays outside [0, 1) still gets a palette colour, never black.
        {1.0f, QColor(255, 255, 255)},
        {-0.25f, QColor(192, 192, 192)},
    };
    for (const Row& row : rows)
        fake.random.values.push_back(row.random);
    for (const Row& row : rows) {
        tick();
        EXPECT_EQ(textColour(), row.colour) << row.random;
    }
}

TEST_F(MovieWindow, TheBlinkingTextNeverFlashesEvenInItsReddestColours)
{
    proceed(ColorBox);
    // The longest text the chooser takes, in the widest letters.
    program->form<mdifrm>().setDisplayText(QString(55, QLatin1Char('W')));
    QFrame& strip = *control<QFrame>(program->form<mdifrm>(), "PicCaption");
    // Saturated red against the colours furthest from it, over and over: red, white,
    // red, green, and the text's own hiding on every third tick.
    const float reddest[] = {0.78f, 0.97f, 0.78f, 0.65f};
    for (int i = 0; i < 24; ++i)
        fake.random.values.push_back(reddest[i % 4]);

    const double secondsPerTick = control<platform::FormTimer>(window(), "Timer1")->interval() / 1000.0;
    const QImage first = strip.grab().toImage();
    flash::FlashAnalysis analysis(first.size());
    ASSERT_TRUE(analysis.addFrame(first, 0.0));
    int redPixelsAtMost = 0;
    for (int n = 1; n <= 24; ++n) {
        tick();
        const QImage frame = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(analysis.addFrame(frame, n * secondsPerTick));
        int red = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < std::min(frame.width(), flash::kFieldSize.width()); ++x)
                red += (frame.pixel(x, y) & 0xffffffu) == 0xff0000u ? 1 : 0;
        redPixelsAtMost = std::max(redPixelsAtMost, red);
    }
    ASSERT_GT(redPixelsAtMost, 0) << "the text must have been drawn in red";
    // Two changes a second are at most one flash a second anywhere, a third of the limit;
    // and the strip is too low for red text to cover a large part of a field.
    const flash::FlashReport report = analysis.report();
    EXPECT_LE(report.general.worstFlashes, 1);
    EXPECT_LE(report.red.worstFlashes, 1);
    EXPECT_TRUE(report.passes());
    EXPECT_LT(redPixelsAtMost, flash::kFieldSize.width() * flash::kFieldSize.height() / 10);
}

// A base of its own, so the source is built before the program that uses it.
struct RealRandom {
    platform::QtRandomSource realRandom;
};

class MovieWindowWithRealRandom : private RealRandom, public MovieWindow {
protected:
    MovieWindowWithRealRandom() : MovieWindow(&realRandom) {}
};

TEST_F(MovieWindowWithRealRandom, LightGreyComesUpTwiceAsOftenAsAnyOtherColourAndBlackNever)
{
    proceed(ColorBox);
    constexpr int kTicks = 48000;
    std::map<QRgb, int> counts;
    for (int i = 0; i < kTicks; ++i) {
        tick();
        ++counts[textColour().rgb()];
    }
    EXPECT_EQ(counts.count(QColor(0, 0, 0).rgb()), 0u);
    ASSERT_EQ(counts.size(), 15u);
    // Expected 3000 for each colour and 6000 for light grey; the spread of a count is
    // about 55, so a band of ten percent only fails on a real bias.
    const int grey = counts[QColor(192, 192, 192).rgb()];
    EXPECT_NEAR(grey, 6000, 600);
    for (const auto& [colour, count] : counts) {
        if (colour != QColor(192, 192, 192).rgb()) {
            EXPECT_NEAR(count, 3000, 300) << QColor(colour).name().toStdString();
        }
    }
}

} // namespace
