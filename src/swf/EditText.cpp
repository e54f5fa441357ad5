#include "swf/Movie.h"

#include <QHash>

#include <algorithm>

namespace swf {

namespace {

// Every field keeps this gutter, in twips, between its bounds and its text.
constexpr double kGutter = 40.0;

struct Styled {
    QChar character;
    QColor colour;
    double height;
};

using Line = std::vector<Styled>;

// The longest name decodeEntity knows.
constexpr qsizetype kLongestEntity = 4;

QString decodeEntity(const QString& name)
{
    if (name == "amp") return QStringLiteral("&");
    if (name == "lt") return QStringLiteral("<");
    if (name == "gt") return QStringLiteral(">");
    if (name == "quot") return QStringLiteral("\"");
    if (name == "apos") return QStringLiteral("'");
    if (name == "nbsp") return QString(QChar(0xA0));
    return {};
}

QString attribute(const QString& tag, const QString& name)
{
    const auto at = tag.indexOf(name + "=\"", 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const auto from = at + name.size() + 2;
    const auto to = tag.indexOf('"', from);
    return to < 0 ? QString() : tag.mid(from, to - from);
}

// Paragraphs of styled characters: the field's HTML subset (p, br, font colour and size)
// or plain text split at line breaks.
std::vector<Line> paragraphs(const EditTextDefinition& field)
{
    std::vector<Line> result(1);
    const QString& text = field.text;
    if (!field.html) {
        for (const QChar c : text) {
            if (c == '\r' || c == '\n')
                result.emplace_back();
            else
                result.back().push_back({c, field.colour, field.height});
        }
        return result;
    }
    std::vector<std::pair<QColor, double>> styles{{field.colour, field.height}};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '<') {
            const auto close = text.indexOf('>', i);
            if (close < 0)
                break;
            const QString tag = text.mid(i + 1, close - i - 1);
            const QString name = tag.section(' ', 0, 0).toLower();
            if (name == "/p" || name == "br" || name == "br/")
                result.emplace_back();
            else if (name == "font") {
                auto style = styles.back();
                const QColor colour(attribute(tag, "color"));
                if (colour.isValid())
                    style.first = colour;
                bool ok = false;
                const double size = attribute(tag, "size").toDouble(&ok);
                if (ok && size > 0)
                    style.second = size * 20.0;
                styles.push_back(style);
            } else if (name == "/font" && styles.size() > 1)
                styles.pop_back();
            i = close;
            continue;
        }
        QChar out = c;
        if (c == '&') {
            // Entity names are short: looking further for the ';' would make a text of many
            // '&' quadratic to read.
            const auto found = QStringView(text).mid(i, kLongestEntity + 2).indexOf(u';');
            const auto semi = found < 0 ? found : i + found;
            const QString decoded = semi > i ? decodeEntity(text.mid(i + 1, semi - i - 1)) : QString();
            if (!decoded.isEmpty()) {
                out = decoded[0];
                i = semi;
            }
        }
        result.back().push_back({out, styles.back().first, styles.back().second});
    }
    if (result.size() > 1 && result.back().empty())
        result.pop_back();
    return result;
}

} // namespace

TextCharacter layOutEditText(const EditTextDefinition& field)
{
    TextCharacter text;
    const FontCharacter& font = *field.font;
    QHash<char16_t, std::size_t> glyphs;
    for (std::size_t i = font.codes.size(); i-- > 0;)
        if (i < font.glyphs.size())
            glyphs.insert(font.codes[i], i);
    const auto glyphFor = [&](QChar c) -> std::optional<std::size_t> {
        const auto found = glyphs.constFind(c.unicode());
        return found == glyphs.cend() ? std::nullopt : std::optional(*found);
    };
    const auto advanceOf = [&](const Styled& s) {
        const auto glyph = glyphFor(s.character);
        const double scale = s.height / font.unitsPerEm;
        return glyph && *glyph < font.advances.size() ? font.advances[*glyph] * scale : s.height / 4.0;
    };
    const double left = field.bounds.left() + kGutter + field.leftMargin;
    const double right = field.bounds.right() + 1 - kGutter - field.rightMargin;

    // Word wrap splits a paragraph at spaces where it would run past the right edge.
    std::vector<Line> lines;
    for (Line& paragraph : paragraphs(field)) {
        if (field.password)
            for (Styled& s : paragraph)
                s.character = QChar(u'*');
        if (!field.wordWrap) {
            lines.push_back(std::move(paragraph));
            continue;
        }
        std::size_t start = 0;
        std::size_t lastSpace = 0;
        double width = field.indent;
        for (std::size_t i = 0; i < paragraph.size(); ++i) {
            width += advanceOf(paragraph[i]);
            if (paragraph[i].character == ' ')
                lastSpace = i + 1;
            if (left + width > right && lastSpace > start) {
                lines.emplace_back(paragraph.begin() + static_cast<std::ptrdiff_t>(start),
                                   paragraph.begin() + static_cast<std::ptrdiff_t>(lastSpace));
                start = lastSpace;
                width = 0;
                for (std::size_t j = start; j <= i; ++j)
                    width += advanceOf(paragraph[j]);
            }
        }
        lines.emplace_back(paragraph.begin() + static_cast<std::ptrdiff_t>(start), paragraph.end());
    }

    double baseline = field.bounds.top() + kGutter;
    for (const Line& line : lines) {
        double tallest = field.height;
        for (const Styled& s : line)
            tallest = std::max(tallest, s.height);
        const double scale = tallest / font.unitsPerEm;
        baseline += font.ascent * scale;
        double width = 0;
        for (const Styled& s : line)
            width += advanceOf(s);
        double x = left + field.indent;
        if (field.align == 1)
            x = right - width;
        else if (field.align == 2)
            x = (left + right - width) / 2;
        for (const Styled& s : line) {
            const auto glyph = glyphFor(s.character);
            if (glyph) {
                const double glyphScale = s.height / font.unitsPerEm;
                const QPainterPath path = QTransform(glyphScale, 0, 0, glyphScale, x, baseline).map(font.glyphs[*glyph]);
                if (text.runs.empty() || text.runs.back().first != s.colour)
                    text.runs.emplace_back(s.colour, QPainterPath());
                text.runs.back().second.addPath(path);
            }
            x += advanceOf(s);
        }
        baseline += font.descent * scale + field.leading;
    }
    return text;
}

} // namespace swf
