// Writes the sample movies made in code into the given folder.

#include "samples/LargePhotoMovie.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    // Qt finds its JPEG writer through the application's plug-in paths.
    const QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<std::uint8_t> bytes = samples::largePhotoMovie();
        QSaveFile file(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/large-photo.swf"));
        if (!file.open(QIODevice::WriteOnly)
            || file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()))
                   != static_cast<qint64>(bytes.size())
            || !file.commit()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot make the sample movies: %s\n", error.what());
        return 1;
    }
    return 0;
}
