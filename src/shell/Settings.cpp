#include "shell/Settings.h"

#include "platform/Services.h"

#include <array>
#include <optional>

namespace {

const QString kSection = QStringLiteral("Settings");
constexpr int kShift = 85;
constexpr int kQuestionMark = 0x3F;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five codes it leaves
// undefined map to the control characters of the same value, as the system does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar fromCodePage(int code)
{
    if (code >= 0x80 && code <= 0x9F)
        return QChar(kHighControls[static_cast<std::size_t>(code - 0x80)]);
    return QChar(static_cast<char16_t>(code));
}

std::optional<int> toCodePage(QChar ch)
{
    const char16_t unicode = ch.unicode();
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == unicode)
            return static_cast<int>(0x80 + i);
    if (unicode < 0x80 || (unicode >= 0xA0 && unicode <= 0xFF))
        return unicode;
    return std::nullopt;
}

} // namespace

QString EncodeSetting(const QString& text)
{
    QString encoded;
    encoded.reserve(text.size());
    for (const QChar ch : text) {
        const int shifted = toCodePage(ch).value_or(kQuestionMark) + kShift;
        if (shifted <= 0xFF)
            encoded.append(fromCodePage(shifted));
    }
    return encoded;
}

QString DecodeSetting(const QString& text)
{
    QString decoded;
    decoded.reserve(text.size());
    for (const QChar ch : text) {
        const int shifted = toCodePage(ch).value_or(kQuestionMark) - kShift;
        if (shifted >= 0)
            decoded.append(fromCodePage(shifted));
    }
    return decoded;
}

QString ReadSetting(const platform::Services& services, const QString& key)
{
    return DecodeSetting(services.settings.read(services.files.programName(), kSection, EncodeSetting(key)));
}

bool WriteSetting(platform::Services& services, const QString& key, const QString& value)
{
    return services.settings.write(services.files.programName(), kSection, EncodeSetting(key),
                                   EncodeSetting(value));
}
