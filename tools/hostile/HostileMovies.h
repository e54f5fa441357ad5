#pragma once
// Movies made to hurt a player: a few bytes to a few hundred KB each that ask for minutes
// of drawing or gigabytes of memory if a player does all they ask. The tests play them
// through the real player widget, the benchmark times them, and the fuzzer starts from them.

#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

struct HostileMovie {
    // The file name, which says what the file does.
    std::string name;
    // One line for a table.
    std::string what;
    std::vector<std::uint8_t> (*make)();
};

// Every crafted movie, in the order the benchmark lists them.
const std::vector<HostileMovie>& hostileMovies();

} // namespace hostile
