#include "platform/ProgramImages.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>

#include <iterator>
#include <map>

namespace platform {

namespace {

// The drawn icons by size, as the build put them into the program's resources.
std::map<int, QString> drawnIcons()
{
    static const QRegularExpression name(QStringLiteral("^icon-(\\d+)\\.png$"));
    std::map<int, QString> icons;
    const QDir folder(QStringLiteral(":/images"));
    for (const QString& file : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch())
            icons.emplace(match.captured(1).toInt(), folder.filePath(file));
    }
    return icons;
}

} // namespace

QPixmap programIcon(int size)
{
    const std::map<int, QString> icons = drawnIcons();
    if (size < 1 || icons.empty())
        return {};
    auto best = icons.lower_bound(size);
    if (best == icons.end())
        best = std::prev(icons.end());
    const QPixmap drawn(best->second);
    if (best->first == size)
        return drawn;
    return drawn.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QIcon programWindowIcon()
{
    QIcon icon;
    for (const auto& [size, file] : drawnIcons())
        icon.addFile(file, QSize(size, size));
    return icon;
}

PointerImage linkPointerImage()
{
    const QImage image(QStringLiteral(":/images/link-pointer.png"));
    return {QPixmap::fromImage(image),
            QPoint(image.text(QStringLiteral("HotSpotX")).toInt(), image.text(QStringLiteral("HotSpotY")).toInt())};
}

} // namespace platform
