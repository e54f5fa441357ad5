// Plays each crafted hostile movie (and the references: the program's own pendulum, and the
// sample movie of a large photograph, which shows what its bitmap costs) in a
// process of its own at the movie window's size, 793 x 369, and prints per file: the time
// to open it, the worst time to draw a frame, the peak memory of the process, how long a
// click on Back waited while the movie played in the real player widget, and whether the
// movie was refused. A run that passes the time allowed is stopped, and says so.
//
//   hostile_bench [--seconds N] [FILE...]
// Without files it measures the references and every file the hostile-movie tool wrote.

#include "swf/Movie.h"
#include "swf/PlayerWidget.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

const QSize kWindowPicture(793, 369);
// Frames drawn for the worst frame time, unless the time runs out first.
constexpr int kFramesDrawn = 20;
// How long after the window shows the click on Back comes: the movie is playing by then.
constexpr int kClickAfterMs = 300;

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The child's part: opens the file and draws frames, printing each figure as it is known
// so that a run stopped half-way still tells what it got.
int drawFrames(const QString& path, double seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    QElapsedTimer timer;
    timer.start();
    const auto movie = swf::Movie::load(bytes);
    std::printf("open %.1f\n", msSince(timer));
    std::printf("refused %d\n", movie ? 0 : 1);
    std::fflush(stdout);
    if (!movie)
        return 0;
    swf::TimelinePlayer player(*movie, movie->timeline);
    const swf::Renderer renderer(*movie);
    const QColor background = movie->background.value_or(Qt::white);
    QElapsedTimer all;
    all.start();
    double worst = 0;
    for (int i = 0; i < kFramesDrawn && msSince(all) < seconds * 500; ++i) {
        timer.start();
        player.advance();
        const QImage image = renderer.renderImage(player, kWindowPicture, background, background);
        worst = std::max(worst, msSince(timer));
        std::printf("frame %.1f\n", worst);
        std::fflush(stdout);
    }
    return 0;
}

// The child's part: a window holding the real player widget and a Back button; the click
// comes while the movie plays, and Back closes the window, player and all.
int clickBack(const QString& path)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* player = new swf::PlayerWidget(&window);
    player->setFixedSize(kWindowPicture);
    auto* back = new QPushButton(QStringLiteral("Back"), &window);
    layout->addWidget(player);
    layout->addWidget(back);
    QElapsedTimer shown;
    QObject::connect(back, &QPushButton::clicked, [&] {
        delete player;
        // The click was made at kClickAfterMs; it waited for whatever held the event loop.
        std::printf("back %.1f\n", msSince(shown) - kClickAfterMs);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    window.show();
    shown.start();
    player->setMovie(path);
    QTimer::singleShot(kClickAfterMs, Qt::PreciseTimer, back, &QPushButton::click);
    return QApplication::exec();
}

struct Figures {
    std::optional<double> openMs;
    std::optional<bool> refused;
    std::optional<double> worstFrameMs;
    std::optional<double> backMs;
    double peakMiB = 0;
    bool framesStopped = false;
    bool backStopped = false;
};

// The peak resident memory of a running process so far.
double peakMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Runs this program on one file in one mode, watching its memory; stops it after seconds.
// Returns whether it had to be stopped.
bool runChild(const QString& mode, const QString& path, double seconds, Figures& figures)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {mode, path, QString::number(seconds)});
    child.waitForStarted();
    QElapsedTimer timer;
    timer.start();
    bool stopped = false;
    while (!child.waitForFinished(50)) {
        figures.peakMiB = std::max(figures.peakMiB, peakMiB(child.processId()));
        if (timer.elapsed() > seconds * 1000) {
            stopped = true;
            child.kill();
            child.waitForFinished();
            break;
        }
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2)
            continue;
        const double value = parts[1].toDouble();
        if (parts[0] == "open")
            figures.openMs = value;
        else if (parts[0] == "refused")
            figures.refused = value != 0;
        else if (parts[0] == "frame")
            figures.worstFrameMs = value;
        else if (parts[0] == "back")
            figures.backMs = value;
    }
    return stopped;
}

QString ms(const std::optional<double>& value, bool stopped)
{
    if (value)
        return QString::number(*value, 'f', *value < 100 ? 1 : 0);
    return stopped ? QStringLiteral("stopped") : QStringLiteral("-");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == QLatin1String("--frames"))
        return drawFrames(args[1], args[2].toDouble());
    if (args.size() == 3 && args[0] == QLatin1String("--back"))
        return clickBack(args[1]);

    double seconds = 30;
    QStringList files;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toDouble();
        else
            files.append(args[i]);
    }
    if (files.isEmpty()) {
        files.append(QStringLiteral(SOMNARA_PROGRAM_DIR "/Pendulum.swf"));
        files.append(QStringLiteral(SOMNARA_SAMPLE_DIR "/large-photo.swf"));
        const QDir dir(QStringLiteral(HOSTILE_MOVIE_DIR));
        for (const QString& name : dir.entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
    }

    std::printf("Each run is stopped after %.0f s.\n", seconds);
    std::printf("%-32s %9s %8s %10s %9s %9s %8s\n", "movie", "file KB", "open ms", "worst frame", "peak MiB",
                "Back ms", "refused");
    for (const QString& path : files) {
        Figures figures;
        figures.framesStopped = runChild(QStringLiteral("--frames"), path, seconds, figures);
        figures.backStopped = runChild(QStringLiteral("--back"), path, seconds, figures);
        const QString refused = figures.refused ? (*figures.refused ? "yes" : "no") : "-";
        std::printf("%-32s %9.1f %8s %11s %9.0f %9s %8s\n", qPrintable(QFileInfo(path).fileName()),
                    static_cast<double>(QFileInfo(path).size()) / 1024.0, qPrintable(ms(figures.openMs, figures.framesStopped)),
                    qPrintable(ms(figures.worstFrameMs, figures.framesStopped)), figures.peakMiB,
                    qPrintable(ms(figures.backMs, figures.backStopped)), qPrintable(refused));
        std::fflush(stdout);
    }
    return 0;
}
