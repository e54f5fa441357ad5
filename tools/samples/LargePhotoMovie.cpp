#include "samples/LargePhotoMovie.h"

#include "swfwriter/Bitmaps.h"
#include "swfwriter/MovieBuilder.h"

#include <QBuffer>

#include <stdexcept>

namespace samples {

namespace {

using namespace swf::write;

// Twips a photo pixel takes on the stage: a quarter of the 20 a pixel takes at full size.
constexpr int kTwipsPerPhotoPixel = 5;

} // namespace

QImage largePhoto()
{
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    for (int y = 0; y < kPhotoHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kPhotoWidth; ++x)
            line[x] = qRgb(x * 255 / kPhotoWidth, y * 255 / kPhotoHeight, (x + y) * 255 / (kPhotoWidth + kPhotoHeight));
    }
    return image;
}

std::vector<std::uint8_t> largePhotoMovie(int quality)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!largePhoto().save(&buffer, "JPEG", quality))
        throw std::runtime_error("Qt could not write the photograph as a JPEG");
    const Rect stage{0, kPhotoWidth * kTwipsPerPhotoPixel, 0, kPhotoHeight * kTwipsPerPhotoPixel};
    MovieBuilder movie(MovieHeader{10, stage, 30.0, Compression::Zlib});
    movie.setBackgroundColor({255, 255, 255, 255});
    movie.root().add(jpegBitmap(1, std::vector<std::uint8_t>(jpeg.begin(), jpeg.end())));
    movie.root().add(bitmapRectangle(2, 1, stage, kTwipsPerPhotoPixel));
    PlaceObject place;
    place.characterId = 2;
    movie.root().place(place);
    movie.root().showFrame();
    return movie.encode();
}

} // namespace samples
