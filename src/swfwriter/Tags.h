#pragma once
// Tags: a code and its body, the header that frames them in a file, and the tags that
// run the display list and the file itself. The tags that define characters live with
// what they define (Shapes.h, TimelineBuilder.h).

#include "swf/TagCode.h"
#include "swfwriter/BasicTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf::write {

struct Tag {
    TagCode code = TagCode::End;
    std::vector<std::uint8_t> body;
    bool operator==(const Tag&) const = default;
};

// A tag with its header: short when the body has fewer than 63 bytes, long otherwise or
// when asked.
std::vector<std::uint8_t> encodeTag(const Tag& tag, bool forceLongHeader = false);

// PlaceObject2 and PlaceObject3. `move` modifies the character already at the depth;
// with a character id as well it replaces that character.
struct PlaceObject {
    std::uint16_t depth = 1;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<CxForm> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    bool operator==(const PlaceObject&) const = default;
};

Tag showFrame();
Tag endTag();
Tag setBackgroundColor(Rgba color);
Tag fileAttributes();
Tag placeObject2(const PlaceObject& place);
Tag placeObject3(const PlaceObject& place);
Tag removeObject2(std::uint16_t depth);

} // namespace swf::write
