// Writes every crafted hostile movie into the given folder.

#include "hostile/HostileMovies.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        for (const hostile::HostileMovie& movie : hostile::hostileMovies()) {
            const std::string path = std::string(argv[1]) + "/" + movie.name;
            const std::vector<std::uint8_t> bytes = movie.make();
            std::FILE* file = std::fopen(path.c_str(), "wb");
            const bool written = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
            if (file == nullptr || std::fclose(file) != 0 || !written) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "cannot make the hostile movies: %s\n", error.what());
        return 1;
    }
    return 0;
}
