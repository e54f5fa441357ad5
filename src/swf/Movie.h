#pragma once
// A loaded movie: header, dictionary of characters and the main timeline, immutable once
// loaded. Loading never fails half-way: a damaged file yields what was read before the damage.
// A movie over one of its budgets (Limits.h) is refused whole or loses the excess.

#include "swf/ColorTransform.h"
#include "swf/Container.h"
#include "swf/FrameAction.h"
#include "swf/Limits.h"
#include "swf/Shape.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

namespace swf {

// One display-list change of a frame (PlaceObject 1-3, RemoveObject 1-2).
struct PlaceCommand {
    bool remove = false;
    std::uint16_t depth = 0;
    // Modifies the object already at the depth (and replaces its character if one is given).
    bool move = false;
    std::optional<std::uint16_t> character;
    std::optional<QTransform> matrix;
    std::optional<ColorTransform> colour;
    std::optional<std::uint16_t> ratio;
    std::optional<std::uint16_t> clipDepth;
    std::optional<bool> visible;
    // The instance name that actions find a sprite by.
    std::optional<QByteArray> name;
};

struct Frame {
    std::vector<PlaceCommand> commands;
    // One block for each DoAction of the frame, run once its display list is in place.
    std::vector<ActionBlock> actions;
};

struct Timeline {
    std::vector<Frame> frames;
    // Frame labels in lower case, as actions match them whatever their case, and the
    // 0-based frame each names.
    std::map<QByteArray, int> labels;
};

struct ShapeCharacter {
    ShapeGeometry geometry;
};

struct MorphCharacter {
    // Edges of the start shape, which every ratio draws.
    std::size_t edges = 0;
    std::vector<ShapeRecord> start;
    std::vector<ShapeRecord> end;
    std::vector<std::pair<FillStyle, FillStyle>> fills;
    std::vector<std::pair<LineStyle, LineStyle>> lines;

    // The shape at ratio 0..65535 between start and end.
    ShapeGeometry at(std::uint16_t ratio) const;
};

struct BitmapCharacter {
    QImage image;
};

struct FontCharacter {
    std::vector<QPainterPath> glyphs;
    // Glyph units per twip of text height: 1024 per em, DefineFont3 twenty times finer.
    double unitsPerEm = 1024.0;
    std::vector<std::uint16_t> codes;
    std::vector<double> advances;
    double ascent = 0.0;
    double descent = 0.0;
};

// Static text, laid out at definition time: coloured glyph outlines in text space.
struct TextCharacter {
    QTransform matrix;
    std::vector<std::pair<QColor, QPainterPath>> runs;
};

// The initial contents of a text field, as DefineEditText stores them.
struct EditTextDefinition {
    QRect bounds;
    const FontCharacter* font = nullptr;
    double height = 240.0;
    QColor colour = Qt::black;
    bool wordWrap = false;
    // Shows an asterisk for each character of the text.
    bool password = false;
    bool html = false;
    int align = 0;
    double leftMargin = 0.0;
    double rightMargin = 0.0;
    double indent = 0.0;
    double leading = 0.0;
    QString text;
};

// Lays a text field out once, with the embedded font's glyphs, into static text.
TextCharacter layOutEditText(const EditTextDefinition& field);

struct SpriteCharacter {
    Timeline timeline;
};

using Character = std::variant<ShapeCharacter, MorphCharacter, BitmapCharacter, FontCharacter,
                               TextCharacter, SpriteCharacter>;

// The edges an object showing the character draws, as its share of the movie's budget: path
// elements of shapes and text, four for a bitmap's outline, none for a sprite, whose objects
// count for themselves.
std::size_t edgeCount(const Character& character);

class Movie {
public:
    // nullptr when the bytes are not a movie at all, or when the movie is refused for
    // asking more than the limits allow; refusal, if given, then says why.
    static std::shared_ptr<const Movie> load(const QByteArray& file, const Limits& limits = {},
                                             QString* refusal = nullptr);
    static std::shared_ptr<const Movie> loadFile(const QString& path, const Limits& limits = {},
                                                 QString* refusal = nullptr);

    int version = 0;
    // Stage rectangle in twips.
    QRect stage;
    double frameRate = 12.0;
    int declaredFrames = 0;
    std::optional<QColor> background;
    Timeline timeline;
    std::unordered_map<std::uint16_t, Character> dictionary;
    // Loading stopped before the end tag: the file was cut short or damaged.
    bool truncated = false;
    Limits limits;

    const Character* character(std::uint16_t id) const;
    // The stage in whole pixels, as a player window would size itself.
    QSize stageSize() const;
};

} // namespace swf
