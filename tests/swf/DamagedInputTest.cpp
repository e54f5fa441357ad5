// Damaged movies made from the real ones: bytes flipped, runs of bytes overwritten and files
// cut short. Each must load (or be refused) and render without crashing, hanging or reading
// out of bounds; the sanitizer build runs the same cases.

#include "swf/Container.h"
#include "swf/Movie.h"
#include "swf/Renderer.h"
#include "swf/TimelinePlayer.h"

#include <QDir>

#include <gtest/gtest.h>

#include <random>

namespace {

const QString kDataDir = QStringLiteral(SWF_CONFORMANCE_DIR);

QByteArray asUncompressed(const QByteArray& body, int version)
{
    QByteArray file("FWS");
    file.append(static_cast<char>(version));
    const auto length = static_cast<quint32>(body.size() + 8);
    for (int i = 0; i < 4; ++i)
        file.append(static_cast<char>((length >> (8 * i)) & 0xFF));
    return file + body;
}

void playSome(const QByteArray& file)
{
    const auto movie = swf::Movie::load(file);
    if (!movie)
        return;
    swf::TimelinePlayer player(*movie, movie->timeline);
    for (int i = 0; i < 3; ++i)
        player.advance();
    const QImage image = swf::renderFrame(*movie, player, QSize(48, 32), Qt::white);
    EXPECT_EQ(image.size(), QSize(48, 32));
}

TEST(SwfDamagedInput, MutatedRealMoviesLoadAndRenderSafely)
{
    const QStringList files = QDir(kDataDir).entryList({QStringLiteral("*.swf")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 29);
    std::mt19937 random(20261208);
    for (const QString& name : files) {
        QFile in(kDataDir + '/' + name);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const auto container = swf::openContainer(in.readAll());
        ASSERT_TRUE(container) << name.toStdString();
        const QByteArray body = container->body;
        for (int round = 0; round < 40; ++round) {
            QByteArray damaged = body;
            std::uniform_int_distribution<qsizetype> at(0, damaged.size() - 1);
            const int edits = 1 + round % 8;
            for (int e = 0; e < edits; ++e) {
                const qsizetype where = at(random);
                switch (random() % 3) {
                case 0: damaged[where] = static_cast<char>(damaged[where] ^ (1 << (random() % 8))); break;
                case 1: damaged[where] = static_cast<char>(random() & 0xFF); break;
                default: damaged[where] = '\xFF'; break;
                }
            }
            playSome(asUncompressed(damaged, container->version));
            playSome(asUncompressed(damaged.left(at(random)), container->version));
        }
    }
}

} // namespace
