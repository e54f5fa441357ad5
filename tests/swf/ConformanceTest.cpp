// Renders every frame the conformance set has a reference for and compares it with the
// reference within the set's tolerance: a frame matches when at most 1% of its pixels differ
// by more than 24 levels in any of R, G, B.

#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QTextStream>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kDataDir = QStringLiteral(SWF_CONFORMANCE_DIR);

// The set's README names these references as wrong: the reference player's own known bug,
// and its hairlines in scaled-down sprites, fainter than the device pixel Flash draws.
const QStringList kWrongReferences = {QStringLiteral("ruffle-strokes_scale.swf"),
                                      QStringLiteral("shumway-acid-small.swf")};

struct Row {
    QString file;
    QList<int> frames;
    QStringList features;
};

QList<Row> manifest()
{
    QFile file(kDataDir + "/MANIFEST.tsv");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Row> rows;
    QTextStream in(&file);
    const QStringList header = in.readLine().split('\t');
    const auto column = [&](const char* name) { return header.indexOf(QString::fromLatin1(name)); };
    while (!in.atEnd()) {
        const QStringList cells = in.readLine().split('\t');
        if (cells.size() != header.size())
            continue;
        Row row;
        row.file = cells[column("file")];
        for (const QString& f : cells[column("frames")].split(','))
            row.frames.append(f.toInt());
        for (const char* name : {"features", "fills"})
            for (const QString& f : cells[column(name)].split(','))
                if (f != "-")
                    row.features.append(f);
        if (cells[column("compression")] == "ZWS")
            row.features.append(QStringLiteral("lzma"));
        if (row.features.isEmpty())
            row.features.append(QStringLiteral("plain"));
        rows.append(row);
    }
    return rows;
}

// Share of pixels whose R, G or B differs by more than 24 levels.
double differingShare(const QImage& actual, const QImage& reference)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (std::abs(qRed(la[x]) - qRed(lb[x])) > 24 || std::abs(qGreen(la[x]) - qGreen(lb[x])) > 24
                || std::abs(qBlue(la[x]) - qBlue(lb[x])) > 24)
                ++differing;
        }
    }
    return double(differing) / (double(a.width()) * a.height());
}

TEST(SwfConformance, EveryListedFrameMatchesItsReference)
{
    const QList<Row> rows = manifest();
    ASSERT_EQ(rows.size(), 29) << "manifest missing or damaged in " << kDataDir.toStdString();
    QMap<QString, QPair<int, int>> perFeature;
    const QString dumpDir = qEnvironmentVariable("SWF_CONFORMANCE_DUMP");
    for (const Row& row : rows) {
        const auto movie = swf::Movie::loadFile(kDataDir + '/' + row.file);
        ASSERT_TRUE(movie) << row.file.toStdString();
        swf::TimelinePlayer player(*movie, movie->timeline);
        int shown = 1;
        bool filePasses = true;
        for (const int frame : row.frames) {
            for (; shown < frame; ++shown)
                player.advance();
            const QString base = row.file.chopped(4) + QStringLiteral(".f%1.png").arg(frame, 4, 10, QChar('0'));
            const QImage reference(kDataDir + "/refs/" + base);
            ASSERT_FALSE(reference.isNull()) << base.toStdString();
            // The reference player letterboxes in black where the stage does not fill whole pixels.
            const QImage actual = swf::renderFrame(*movie, player, reference.size(),
                                                   movie->background.value_or(Qt::white), Qt::black);
            if (!dumpDir.isEmpty())
                actual.save(dumpDir + '/' + base);
            const double share = differingShare(actual, reference);
            const bool wrongReference = kWrongReferences.contains(row.file);
            std::printf("%-48s %6.2f%% %s\n", qPrintable(base), share * 100.0,
                        share <= 0.01 ? "ok"
                            : wrongReference ? "reference known to be wrong, not counted"
                                             : "DIFFERS");
            if (share > 0.01)
                filePasses = false;
            if (!wrongReference) {
                EXPECT_LE(share, 0.01) << base.toStdString();
            }
        }
        if (kWrongReferences.contains(row.file))
            continue;
        for (const QString& feature : row.features) {
            auto& [passed, total] = perFeature[feature];
            ++total;
            passed += filePasses ? 1 : 0;
        }
    }
    std::printf("\n%-16s %s\n", "feature", "files passing");
    for (auto it = perFeature.cbegin(); it != perFeature.cend(); ++it)
        std::printf("%-16s %d/%d\n", qPrintable(it.key()), it.value().first, it.value().second);
}

TEST(SwfConformance, TheMovieWhoseLastFrameStopsItRestsThere)
{
    // Its first frame's actions define a mouse handler, which the player does not run; its
    // last frame's are a single Stop.
    const auto movie = swf::Movie::loadFile(kDataDir + "/shumway-morph2.swf");
    ASSERT_TRUE(movie);
    swf::TimelinePlayer player(*movie, movie->timeline);
    EXPECT_TRUE(player.playing());
    for (int i = 0; i < 60; ++i)
        player.advance();
    EXPECT_EQ(player.currentFrame(), 52);
    EXPECT_FALSE(player.playing());
}

} // namespace
