// Writes the program's three movies into the given folder: Pendulum.swf,
// BoxUpward.swf and BoxDownward.swf.

#include "movies/ColourBoxMovie.h"
#include "movies/PendulumMovie.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    try {
        const struct {
            const char* name;
            std::vector<std::uint8_t> bytes;
        } files[] = {
            {"Pendulum.swf", movies::pendulumMovie().encode()},
            {"BoxUpward.swf", movies::colourBoxMovie(movies::BoxDirection::Up).encode()},
            {"BoxDownward.swf", movies::colourBoxMovie(movies::BoxDirection::Down).encode()},
        };
        for (const auto& file : files) {
            if (!writeFile(folder + "/" + file.name, file.bytes)) {
                std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), file.name);
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot author the movies: %s\n", error.what());
        return 1;
    }
    return 0;
}
