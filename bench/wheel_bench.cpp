// The colour wheel under load: runs the real chooser, frame and colour-wheel window on
// the real display for a while and prints what it achieved.
//
//   wheel_bench [seconds]            the two scenarios, each for `seconds` (default 10)
//                                    of cost and as long again of input latency
//   wheel_bench --peers [seconds]    the same, then the movie windows (Pendulum, Colour
//                                    Box up and down) and XScreenSaver's moire2 in the
//                                    same X server for `seconds` each, and the rows side
//                                    by side
//   wheel_bench --movies [seconds]   the movie windows alone, side by side
//   wheel_bench --soak [seconds]     random slider, menu, mouse and resize input for a
//                                    minute of warm-up and then `seconds` (default
//                                    600), reporting resident memory
//   wheel_bench --flash [seconds]    records the screen under the wheel at Size 2200,
//                                    Density 0.01, Width 50, both directions, for
//                                    `seconds` (default 5) each, and measures the
//                                    recording by the three-flashes rule
//
// Run it on an X server (Xvfb will do) or a Wayland compositor (a headless weston will
// do; its own CPU then stands in the X server's column): the figures mean little on the
// offscreen platform.

#include "Controls.h"
#include "ProcessUsage.h"
#include "app/Program.h"
#include "flash/FlashAnalysis.h"
#include "frame/mdifrm.h"
#include "movie/frmBoxPendulam.h"
#include "platform/FormTimer.h"
#include "platform/QtServices.h"
#include "platform/ToolkitDisplay.h"
#include "shell/StartUp.h"
#include "shell/frmMain.h"
#include "swf/Movie.h"
#include "swf/PlayerWidget.h"
#include "wheel/frmHypno.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using BenchClock = std::chrono::steady_clock;

// Services that never block on a dialog or leave the machine.
class QuietMessages final : public platform::MessageBoxes {
public:
    platform::MsgResult show(const QString&, platform::MsgIcon, platform::MsgButtons buttons) override
    {
        return buttons == platform::MsgButtons::OK ? platform::MsgResult::OK : platform::MsgResult::No;
    }
};
class KeptProcess final : public platform::ProcessControl {
public:
    void end(int) override {}
};
class SoleInstance final : public platform::InstanceLock {
public:
    bool anotherInstanceRunning() override { return false; }
};
class MoviesPresent final : public platform::FileSystem {
public:
    QString programFolder() const override { return QStringLiteral(SOMNARA_PROGRAM_DIR); }
    QString programName() const override { return QStringLiteral("wheel_bench"); }
    bool isReadableFile(const QString&) const override { return true; }
};
class MemorySettings final : public platform::SettingsStore {
public:
    QString read(const QString& app, const QString& section, const QString& key) const override
    {
        return values_.value(app + '/' + section + '/' + key);
    }
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override
    {
        values_.insert(app + '/' + section + '/' + key, value);
        return true;
    }

private:
    QMap<QString, QString> values_;
};
class NoBrowser final : public platform::WebOpener {
public:
    void open(const QString&) override {}
};

struct BenchServices {
    QuietMessages messages;
    KeptProcess process;
    SoleInstance instance;
    MoviesPresent files;
    platform::QtClock clock;
    platform::SteadyClock monotonic;
    platform::QtEventLoop events{monotonic};
    platform::QtRandomSource random;
    MemorySettings settings;
    NoBrowser web;
    platform::QtIdleInhibitor idle{QStringLiteral("Somnara")};
    platform::Services services()
    {
        return platform::Services{messages, process, instance, files, clock, monotonic, events, random, settings, web, idle};
    }
};

double peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs the event loop for a while; passes run inside it, tick after tick.
void runFor(BenchClock::duration duration)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(duration), &loop, &QEventLoop::quit);
    loop.exec();
}

void proceedToWheel(Program& program)
{
    InstallShell(program);
    frmMain& chooser = program.form<frmMain>();
    control<QRadioButton>(chooser, indexed("OptHypno", 0))->setChecked(true);
    chooser.cmdNext_Click();
}

// Input from outside the program arrives at moments that have nothing to do with where
// the drawing is; a thread standing in for the user posts events at random moments and
// the receiver, on the user-interface thread, notes how long each took to be handled.
class LatencyProbe final : public QObject {
public:
    static constexpr QEvent::Type Kind = static_cast<QEvent::Type>(QEvent::User + 41);

    struct Stamped final : QEvent {
        explicit Stamped(BenchClock::time_point at) : QEvent(Kind), postedAt(at) {}
        BenchClock::time_point postedAt;
    };

    void start()
    {
        stop_ = false;
        poster_ = std::thread([this] {
            std::mt19937 random(12345);
            std::uniform_int_distribution<int> pauseUs(2'000, 30'000);
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::microseconds(pauseUs(random)));
                QCoreApplication::postEvent(this, new Stamped(BenchClock::now()));
            }
        });
    }
    void finish()
    {
        stop_ = true;
        poster_.join();
        QCoreApplication::removePostedEvents(this, Kind);
    }
    std::vector<double>& latenciesMs() { return latencies_; }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != Kind)
            return QObject::event(event);
        const auto waited = BenchClock::now() - static_cast<Stamped*>(event)->postedAt;
        latencies_.push_back(std::chrono::duration<double, std::milli>(waited).count());
        return true;
    }

private:
    std::atomic<bool> stop_{false};
    std::thread poster_;
    std::vector<double> latencies_;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

struct Scenario {
    const char* name;
    int size;
    int density;
    int width;
};

// The settings that decide a pass's length change only between passes, and one pass
// may last minutes; so each run is one event loop whose timers read the figures from
// inside the running pass and leave through Back, which ends the pass at once.
void leaveWheel(Program& program, QEventLoop& loop)
{
    if (frmHypno* wheel = program.loaded<frmHypno>())
        control<QAction>(*wheel, "mnuFileBAck")->trigger();
    loop.quit();
}

// One program's cost over a stretch of wall time, measured from outside alike for all.
// Circles and input latency are the colour wheel's alone.
struct Row {
    std::string name;
    usage::Rates self;
    std::optional<double> serverCpu;
    std::optional<double> circles;
    double frames = 0.0;
    std::optional<double> latencyP99;
    // The median of the stretch's seconds' CPU: a second in which something else on the
    // machine ran, evicting caches or taking the processor, weighs no more than any other.
    std::optional<double> medianSecondCpu;
};

// The X server under X11, weston under Wayland; none where neither is found.
const std::optional<usage::DisplayServer>& displayServer()
{
    static const std::optional<usage::DisplayServer> server = usage::displayServer();
    return server;
}

class CostMeter {
public:
    explicit CostMeter(pid_t pid) : pid_(pid) {}
    void start()
    {
        self_ = usage::sample(pid_).value_or(usage::Sample{});
        if (displayServer())
            serverStart_ = usage::sample(displayServer()->pid);
        at_ = BenchClock::now();
    }
    // The rates since start().
    void stop(Row& row)
    {
        const double wall = std::chrono::duration<double>(BenchClock::now() - at_).count();
        row.self = usage::rates(self_, usage::sample(pid_).value_or(self_), wall);
        if (displayServer() && serverStart_)
            if (const std::optional<usage::Sample> serverEnd = usage::sample(displayServer()->pid))
                row.serverCpu = usage::rates(*serverStart_, *serverEnd, wall).cpu;
    }

private:
    pid_t pid_;
    usage::Sample self_;
    std::optional<usage::Sample> serverStart_;
    BenchClock::time_point at_;
};

void printCost(const Row& row)
{
    std::printf("  CPU s per wall s     %10.3f\n", row.self.cpu);
    std::printf("  wake-ups/s           %10.1f   (all threads %.1f)\n", row.self.wakeUpsMainThread,
                row.self.wakeUpsAllThreads);
    if (row.serverCpu)
        std::printf("  %-10s CPU s/s   %10.3f\n", displayServer()->kind, *row.serverCpu);
    else
        std::printf("  display server CPU s/s     n/a   (no local X server or weston for this session)\n");
}

// Two stretches of `seconds` each after a second of warm-up: the first measures the
// cost alone, the second the latency of input posted from a thread standing in for the
// user (whose own wake-ups and events would count against the cost).
Row measure(const Scenario& scenario, double seconds)
{
    BenchServices services;
    Program program(services.services());
    proceedToWheel(program);
    mdifrm& frame = *program.loaded<mdifrm>();
    if (scenario.size > 0) {
        control<QScrollBar>(frame, "ScrollBarSize")->setValue(scenario.size);
        control<QScrollBar>(frame, "ScrollBarDensity")->setValue(scenario.density);
        control<QScrollBar>(frame, "ScrollBarWidth")->setValue(scenario.width);
    }

    const frmHypno& wheel = *program.loaded<frmHypno>();
    LatencyProbe probe;
    CostMeter meter(getpid());
    Row row{scenario.name, {}, {}, {}, 0.0, {}, {}};
    frmHypno::Activity before;
    frmHypno::Activity after;
    BenchClock::time_point start;
    BenchClock::time_point end;
    {
        QEventLoop loop;
        const auto warmUp = std::chrono::seconds(1);
        const auto stretch = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
        QTimer::singleShot(warmUp, &loop, [&] {
            before = wheel.activity();
            start = BenchClock::now();
            meter.start();
        });
        QTimer::singleShot(warmUp + stretch, &loop, [&] {
            meter.stop(row);
            after = wheel.activity();
            end = BenchClock::now();
            probe.start();
        });
        QTimer::singleShot(warmUp + 2 * stretch, &loop, [&] { leaveWheel(program, loop); });
        loop.exec();
    }
    probe.finish();
    const double wall = std::chrono::duration<double>(end - start).count();
    row.circles = static_cast<double>(after.circles - before.circles) / wall;
    row.frames = static_cast<double>(after.framesPresented - before.framesPresented) / wall;

    const std::vector<double>& latencies = probe.latenciesMs();
    row.latencyP99 = percentile(latencies, 0.99);
    std::printf("%s\n", scenario.name);
    std::printf("  circles/s            %10.0f   (10000 unless the flash guard slows the wheel)\n", *row.circles);
    std::printf("  passes/s             %10.2f\n", static_cast<double>(after.passes - before.passes) / wall);
    std::printf("  frames presented/s   %10.1f\n", row.frames);
    printCost(row);
    std::printf("  input latency ms     median %.3f  p99 %.3f  max %.3f  (%zu events)\n",
                percentile(latencies, 0.5), *row.latencyP99,
                latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()), latencies.size());
    std::fflush(stdout);
    runFor(std::chrono::milliseconds(100));
    return row;
}

// A screensaver of concentric rings in the same X server for the same time, measured
// as the wheel is, for a cost to compare with.
std::optional<Row> measurePeer(double seconds)
{
    const QString program = QStringLiteral("/usr/libexec/xscreensaver/moire2");
    if (!QFileInfo(program).isExecutable()) {
        std::printf("moire2 is not installed (Debian package xscreensaver-data-extra)\n");
        return std::nullopt;
    }
    QProcess peer;
    peer.start(program, {QStringLiteral("-geometry"), QStringLiteral("793x360")});
    if (!peer.waitForStarted())
        return std::nullopt;
    Row row{"XScreenSaver moire2, 793 x 360", {}, {}, {}, 0.0, {}, {}};
    CostMeter meter(static_cast<pid_t>(peer.processId()));
    runFor(std::chrono::seconds(1));
    meter.start();
    runFor(std::chrono::milliseconds(static_cast<long long>(seconds * 1000)));
    meter.stop(row);
    peer.kill();
    peer.waitForFinished();
    return row;
}

struct MovieScenario {
    const char* name;
    // The chooser's option: 2 the pendulum, 1 the colour box.
    int option;
    // The colour box turned round with its window's button, as a user turns it.
    bool turned;
};

// A movie window reached as a user reaches it, through the chooser, with its blinking
// text; the frames counted are those the window put on show.
Row measureMovie(const MovieScenario& scenario, double seconds)
{
    BenchServices services;
    Program program(services.services());
    InstallShell(program);
    frmMain& chooser = program.form<frmMain>();
    control<QRadioButton>(chooser, indexed("OptHypno", scenario.option))->setChecked(true);
    // The text a user types, which blinks over the movie.
    control<QLineEdit>(chooser, "txtInputText")->setText(QStringLiteral("I am calm and at ease"));
    chooser.cmdNext_Click();
    frmBoxPendulam& window = *program.loaded<frmBoxPendulam>();
    if (scenario.turned)
        control<QPushButton>(window, "cmdChangeDirection")->click();
    const swf::PlayerWidget& player = *control<swf::PlayerWidget>(window, "SWF");
    const std::shared_ptr<const swf::Movie> movie = swf::Movie::loadFile(player.movie());

    // Each second's CPU. Frames may reach the screen from the player's thread, which leaves
    // the window's thread asleep: it wakes for this once a second, which the wake-ups count.
    std::optional<usage::Sample> secondStart;
    BenchClock::time_point secondAt;
    std::vector<double> cpuEachSecond;
    QTimer eachSecond;
    eachSecond.setInterval(std::chrono::seconds(1));
    QObject::connect(&eachSecond, &QTimer::timeout, [&] {
        const BenchClock::time_point now = BenchClock::now();
        const double wall = std::chrono::duration<double>(now - secondAt).count();
        const std::optional<usage::Sample> sample = usage::sample(getpid());
        if (secondStart && sample)
            cpuEachSecond.push_back(usage::rates(*secondStart, *sample, wall).cpu);
        secondStart = sample;
        secondAt = now;
    });
    CostMeter meter(getpid());
    Row row{scenario.name, {}, {}, {}, 0.0, {}, {}};
    long long shownBefore = 0;
    BenchClock::time_point start;
    double wall = 0.0;
    {
        QEventLoop loop;
        const auto warmUp = std::chrono::seconds(1);
        QTimer::singleShot(warmUp, &loop, [&] {
            shownBefore = player.framesShown();
            start = BenchClock::now();
            meter.start();
            secondStart = usage::sample(getpid());
            secondAt = start;
            eachSecond.start();
        });
        QTimer::singleShot(warmUp + std::chrono::milliseconds(static_cast<long long>(seconds * 1000)), &loop, [&] {
            meter.stop(row);
            eachSecond.stop();
            wall = std::chrono::duration<double>(BenchClock::now() - start).count();
            row.frames = static_cast<double>(player.framesShown() - shownBefore) / wall;
            if (!cpuEachSecond.empty())
                row.medianSecondCpu = percentile(cpuEachSecond, 0.5);
            control<QAction>(window, "mnuFileBAck")->trigger();
            loop.quit();
        });
        loop.exec();
    }
    std::printf("%s\n", scenario.name);
    std::printf("  movie frames/s       %10.1f   (its own rate)\n", movie ? movie->frameRate : 0.0);
    std::printf("  frames shown/s       %10.1f\n", row.frames);
    printCost(row);
    if (row.medianSecondCpu)
        std::printf("  CPU s/s, median second %8.3f   (of %zu)\n", *row.medianSecondCpu, cpuEachSecond.size());
    std::fflush(stdout);
    runFor(std::chrono::milliseconds(100));
    return row;
}

// The display server's column holds the X server's CPU under X11 and weston's under
// Wayland, as its heading says; "-" where neither could be measured.
void printSideBySide(const std::vector<Row>& rows, double refreshHz)
{
    std::printf("\nside by side, %.0f Hz screen                 CPU s/s   median s   %10s   wake-ups/s   all threads   "
                "frames/s   circles/s   p99 ms\n",
                refreshHz, displayServer() ? displayServer()->kind : "X server");
    const auto column = [](const std::optional<double>& value, int width, int decimals) {
        char text[32];
        if (value)
            std::snprintf(text, sizeof text, "%*.*f", width, decimals, *value);
        else
            std::snprintf(text, sizeof text, "%*s", width, "-");
        return std::string(text);
    };
    for (const Row& row : rows)
        std::printf("  %-44s %7.3f   %s   %s   %10.1f   %11.1f   %8.1f   %s   %s\n", row.name.c_str(), row.self.cpu,
                    column(row.medianSecondCpu, 8, 3).c_str(), column(row.serverCpu, 10, 3).c_str(), row.self.wakeUpsMainThread, row.self.wakeUpsAllThreads,
                    row.frames, column(row.circles, 9, 0).c_str(), column(row.latencyP99, 6, 2).c_str());
}

// Random input of every kind the colour wheel takes, as an impatient user would give it.
class SoakDriver final : public QObject {
public:
    explicit SoakDriver(Program& program) : program_(program) {}

    void next()
    {
        QTimer::singleShot(std::chrono::milliseconds(pause_(random_)), this, [this] {
            if (stopped_)
                return;
            act();
            next();
        });
    }
    void stop() { stopped_ = true; }
    long long actions = 0;
    long long showings = 1;

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void act()
    {
        ++actions;
        frmHypno* wheel = program_.loaded<frmHypno>();
        if (!wheel) {
            proceedToWheel(program_);
            ++showings;
            return;
        }
        mdifrm& frame = *program_.loaded<mdifrm>();
        if (QMenu* menu = control<QMenu>(*wheel, "mnuFile"); menu->isVisible()) {
            menu->hide();
            return;
        }
        std::array<QScrollBar*, 4> sliders{};
        for (std::size_t i = 0; const char* name :
                                {"ScrollBarSize", "ScrollBarDensity", "ScrollBarWidth", "ScrollBarColorMultiplier"})
            sliders[i++] = control<QScrollBar>(frame, name);
        switch (pick(0, 12)) {
        case 0:
        case 1:
        case 2: {
            QScrollBar* slider = sliders[static_cast<std::size_t>(pick(0, 3))];
            slider->setValue(pick(slider->minimum(), slider->maximum()));
            break;
        }
        case 3:
        case 4: {
            QScrollBar* slider = sliders[static_cast<std::size_t>(pick(0, 3))];
            slider->triggerAction(static_cast<QAbstractSlider::SliderAction>(pick(1, 4)));
            break;
        }
        case 5:
            control<QAction>(*wheel, "mnuFileStopHypnodisc")->trigger();
            break;
        case 6:
            control<QAction>(*wheel, "mnuFileStartHypnodisc")->trigger();
            break;
        case 7:
            (pick(0, 1) ? control<QAction>(*wheel, "mnuChangeDirection")->trigger()
                        : control<QPushButton>(frame, "cmdChangeDirection")->click());
            break;
        case 8:
        case 9: {
            const QPointF at(pick(0, wheel->width() - 1), pick(0, wheel->height() - 1));
            const Qt::MouseButton button = pick(0, 3) == 0 ? Qt::RightButton : Qt::LeftButton;
            QMouseEvent press(QEvent::MouseButtonPress, at, wheel->mapToGlobal(at), button, button, Qt::NoModifier);
            QCoreApplication::sendEvent(wheel, &press);
            break;
        }
        case 10:
            frame.resize(pick(500, 1100), pick(350, 750));
            break;
        case 11:
            // Now and then the heaviest settings, to keep long passes in the mix.
            control<QScrollBar>(frame, "ScrollBarDensity")->setValue(pick(1, 20));
            break;
        default:
            (pick(0, 1) ? control<QAction>(*wheel, "mnuFileBAck")->trigger()
                        : control<QPushButton>(frame, "cmdBack")->click());
            break;
        }
    }

    Program& program_;
    bool stopped_ = false;
    std::mt19937 random_{2026};
    std::uniform_int_distribution<int> pause_{5, 250};
};

void soak(double seconds)
{
    BenchServices services;
    Program program(services.services());
    proceedToWheel(program);
    SoakDriver driver(program);
    double startedMiB = 0.0;
    double startMiB = 0.0;
    double highestMiB = 0.0;
    int minutes = 0;
    // The first minute of input meets every kind of window, menu and drawing for the
    // first time; what that costs once is not growth, so the soak counts from after it.
    const auto settle = std::chrono::seconds(2);
    const auto warmUp = std::chrono::seconds(60);
    {
        QEventLoop loop;
        QTimer sampler;
        sampler.setInterval(std::chrono::seconds(10));
        QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
            highestMiB = std::max(highestMiB, residentMiB());
        });
        QTimer minute;
        minute.setInterval(std::chrono::minutes(1));
        QObject::connect(&minute, &QTimer::timeout, &loop, [&] {
            std::printf("  after %d min: resident %.2f MiB, %lld actions, %lld showings\n", ++minutes, residentMiB(),
                        driver.actions, driver.showings);
            std::fflush(stdout);
        });
        QTimer::singleShot(settle, &loop, [&] {
            startedMiB = residentMiB();
            driver.next();
        });
        QTimer::singleShot(settle + warmUp, &loop, [&] {
            startMiB = highestMiB = residentMiB();
            sampler.start();
            minute.start();
        });
        QTimer::singleShot(settle + warmUp + std::chrono::milliseconds(static_cast<long long>(seconds * 1000)), &loop,
                           [&] {
                               driver.stop();
                               leaveWheel(program, loop);
                           });
        loop.exec();
    }
    runFor(std::chrono::milliseconds(100));
    const double endMiB = residentMiB();
    std::printf("soak, %.0f s of random input after %lld s of warm-up\n", seconds,
                static_cast<long long>(warmUp.count()));
    std::printf("  resident at start-up %8.2f MiB\n", startedMiB);
    std::printf("  resident at start    %8.2f MiB   (after the warm-up)\n", startMiB);
    std::printf("  resident at end      %8.2f MiB   (growth %+.2f MiB, highest %.2f MiB)\n", endMiB,
                endMiB - startMiB, highestMiB);
    std::printf("  actions              %8lld   (%lld showings of the colour wheel)\n", driver.actions,
                driver.showings);
}

// What a camera pointed at the screen would see: the X server's picture of the wheel's
// window, read at the refresh rate while the wheel draws, measured as the offline sweep
// measures its recordings. Reading the screen takes a few milliseconds on the
// user-interface thread, which the wheel's schedule catches up.
void recordScreen(const Scenario& scenario, bool inward, double seconds)
{
    BenchServices services;
    Program program(services.services());
    proceedToWheel(program);
    mdifrm& frame = *program.loaded<mdifrm>();
    control<QScrollBar>(frame, "ScrollBarSize")->setValue(scenario.size);
    control<QScrollBar>(frame, "ScrollBarDensity")->setValue(scenario.density);
    control<QScrollBar>(frame, "ScrollBarWidth")->setValue(scenario.width);
    frmHypno& wheel = *program.loaded<frmHypno>();
    if (inward)
        control<QAction>(wheel, "mnuChangeDirection")->trigger();
    QScreen* screen = wheel.screen();
    const double refreshHz = screen && screen->refreshRate() > 0 ? screen->refreshRate() : 60.0;

    std::optional<flash::FlashAnalysis> analysis;
    int frames = 0;
    frmHypno::Activity before;
    BenchClock::time_point start;
    double last = 0.0;
    QEventLoop loop;
    QTimer reader;
    reader.setTimerType(Qt::PreciseTimer);
    reader.setInterval(std::max(1, static_cast<int>(1000.0 / refreshHz)));
    QObject::connect(&reader, &QTimer::timeout, &loop, [&] {
        const QPoint origin = wheel.mapToGlobal(QPoint(0, 0));
        const QImage image =
            screen->grabWindow(0, origin.x(), origin.y(), wheel.width(), wheel.height()).toImage();
        if (!analysis)
            analysis.emplace(image.size());
        last = std::chrono::duration<double>(BenchClock::now() - start).count();
        if (analysis->addFrame(image, last))
            ++frames;
    });
    // A second for the load-time values' pass to end, so the recording sees the
    // setting's own passes.
    const auto warmUp = std::chrono::seconds(1);
    QTimer::singleShot(warmUp, &loop, [&] {
        before = wheel.activity();
        start = BenchClock::now();
        reader.start();
    });
    QTimer::singleShot(warmUp + std::chrono::milliseconds(static_cast<long long>(seconds * 1000)), &loop, [&] {
        reader.stop();
        const frmHypno::Activity after = wheel.activity();
        const flash::FlashReport report = analysis ? analysis->report() : flash::FlashReport{};
        std::printf("%-40s %-7s %5d frames (%5.1f a second)  flashes/s %2d general %2d red  field share "
                    "%5.1f%% general %5.1f%% red  %s  circles/s %7.0f  pictures/s %5.1f\n",
                    scenario.name, inward ? "inward" : "outward", frames, frames / std::max(last, 1e-9),
                    report.general.worstFlashes, report.red.worstFlashes, 100.0 * report.general.worstFieldShare,
                    100.0 * report.red.worstFieldShare, report.passes() ? "pass" : "FAIL",
                    static_cast<double>(after.circles - before.circles) / seconds,
                    static_cast<double>(after.framesPresented - before.framesPresented) / seconds);
        std::fflush(stdout);
        leaveWheel(program, loop);
    });
    loop.exec();
    runFor(std::chrono::milliseconds(100));
}

} // namespace

int main(int argc, char** argv)
{
    // As the program does, so that its repaints cost here what they cost there.
    platform::prepareToolkitDisplay();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && args.first() == QStringLiteral("--soak")) {
        soak(args.size() > 1 ? args[1].toDouble() : 600.0);
    } else if (!args.isEmpty() && args.first() == QStringLiteral("--flash")) {
        const double seconds = args.size() > 1 ? args[1].toDouble() : 5.0;
        for (const bool inward : {false, true})
            recordScreen({"wheel, Size 2200 Density 0.01 Width 50", 2200, 1, 50}, inward, seconds);
    } else {
        const bool peers = !args.isEmpty() && args.first() == QStringLiteral("--peers");
        const bool moviesOnly = !args.isEmpty() && args.first() == QStringLiteral("--movies");
        if (peers || moviesOnly)
            args.removeFirst();
        const double seconds = args.isEmpty() ? 10.0 : args.first().toDouble();
        std::vector<Row> rows;
        if (!moviesOnly) {
            rows.push_back(measure({"wheel, load-time values", 0, 0, 0}, seconds));
            rows.push_back(measure({"wheel, Size 2200 Density 0.01 Width 50", 2200, 1, 50}, seconds));
            rows.push_back(measure({"wheel, Size 10 Density 10 (1 circle a pass)", 10, 1000, 2}, seconds));
        }
        if (peers || moviesOnly) {
            rows.push_back(measureMovie({"Pendulum", 2, false}, seconds));
            rows.push_back(measureMovie({"Colour Box up", 1, false}, seconds));
            rows.push_back(measureMovie({"Colour Box down", 1, true}, seconds));
        }
        // moire2 draws on X alone.
        if (peers && qEnvironmentVariableIsSet("DISPLAY"))
            if (std::optional<Row> peer = measurePeer(seconds))
                rows.push_back(*peer);
        const QScreen* screen = QGuiApplication::primaryScreen();
        printSideBySide(rows, screen ? screen->refreshRate() : 0.0);
    }
    std::printf("peak resident memory   %8.2f MiB\n", peakResidentMiB());
    return 0;
}
