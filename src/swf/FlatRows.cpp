#include "swf/FlatRows.h"

#include "swf/PixelBlend.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace swf {

namespace {

// Shorter runs are copied: their fill would save less than finding their ends costs.
constexpr int kWorthFilling = 32;

} // namespace

void FlatRows::measure(const QImage& picture)
{
    size_ = picture.size();
    rows_.assign(static_cast<std::size_t>(std::max(picture.height(), 0)), Run{});
    for (int y = 0; y < picture.height(); ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
        Run longest;
        for (int x = 0; x < picture.width();) {
            int end = x + 1;
            while (end < picture.width() && pixels[end] == pixels[x])
                ++end;
            if (end - x > longest.to - longest.from)
                longest = {x, end, pixels[x]};
            x = end;
        }
        if (longest.to - longest.from >= kWorthFilling)
            rows_[static_cast<std::size_t>(y)] = longest;
    }
}

void FlatRows::forget()
{
    size_ = QSize();
    rows_.clear();
}

void FlatRows::copy(const QImage& picture, QImage& target, const QRect& rect) const
{
    const bool measured = picture.size() == size_;
    // The rows found once: asked for row by row, the target checks each time whether it
    // must first be made its own.
    uchar* to = target.bits();
    const uchar* from = picture.constBits();
    const auto copyPart = [&](std::size_t fromRow, std::size_t toRow, int left, int right) {
        if (left < right)
            std::memcpy(to + toRow + static_cast<std::size_t>(left) * 4, from + fromRow + static_cast<std::size_t>(left) * 4,
                        static_cast<std::size_t>(right - left) * 4);
    };
    const int left = rect.left();
    const int right = rect.right() + 1;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const std::size_t fromRow = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.bytesPerLine());
        const std::size_t toRow = static_cast<std::size_t>(y) * static_cast<std::size_t>(target.bytesPerLine());
        const Run run = measured ? rows_[static_cast<std::size_t>(y)] : Run{};
        const int flatFrom = std::clamp(run.from, left, right);
        const int flatTo = std::clamp(run.to, flatFrom, right);
        copyPart(fromRow, toRow, left, flatFrom);
        fillWith(reinterpret_cast<QRgb*>(to + toRow) + flatFrom, flatTo - flatFrom, run.colour);
        copyPart(fromRow, toRow, flatTo, right);
    }
}

} // namespace swf
