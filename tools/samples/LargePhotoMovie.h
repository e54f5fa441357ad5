#pragma once
// A movie as real ones are made around a photograph: one JPEG the size a camera takes,
// 3612 x 2680 pixels (37 MiB once decoded), shown over the whole stage at a quarter of its
// size. The benchmarks play it with the sample movies, and the tests check it plays.

#include <QImage>

#include <cstdint>
#include <vector>

namespace samples {

constexpr int kPhotoWidth = 3612;
constexpr int kPhotoHeight = 2680;

// The picture: smooth colour fields, which a JPEG keeps close to exact.
QImage largePhoto();
// The movie showing it, the JPEG at the given quality.
std::vector<std::uint8_t> largePhotoMovie(int quality = 90);

} // namespace samples
