// Writes the program's three movies into the given folder. Until the movies are
// authored, each is a valid one-frame SWF file of the stage size with an empty stage.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class BitWriter {
public:
    void bits(std::uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            acc_ = static_cast<std::uint8_t>((acc_ << 1) | ((value >> i) & 1u));
            if (++used_ == 8)
                flush();
        }
    }
    void align()
    {
        if (used_ > 0) {
            acc_ = static_cast<std::uint8_t>(acc_ << (8 - used_));
            flush();
        }
    }
    std::vector<std::uint8_t> bytes;

private:
    void flush()
    {
        bytes.push_back(acc_);
        acc_ = 0;
        used_ = 0;
    }
    std::uint8_t acc_ = 0;
    int used_ = 0;
};

void u16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

std::vector<std::uint8_t> emptyMovie()
{
    constexpr int kStageWidth = 11895;
    constexpr int kStageHeight = 5535;
    BitWriter rect;
    rect.bits(15, 5);
    rect.bits(0, 15);
    rect.bits(kStageWidth, 15);
    rect.bits(0, 15);
    rect.bits(kStageHeight, 15);
    rect.align();

    std::vector<std::uint8_t> body = rect.bytes;
    u16(body, 30 << 8); // 30 frames per second, 8.8 fixed point
    u16(body, 1);       // one frame
    u16(body, (9 << 6) | 3); // SetBackgroundColor
    body.insert(body.end(), {0, 0, 0});
    u16(body, 1 << 6); // ShowFrame
    u16(body, 0);      // End

    std::vector<std::uint8_t> file{'F', 'W', 'S', 10};
    const std::uint32_t length = static_cast<std::uint32_t>(8 + body.size());
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<std::uint8_t>((length >> (8 * i)) & 0xff));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

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
    for (const char* name : {"Pendulum.swf", "BoxUpward.swf", "BoxDownward.swf"}) {
        if (!writeFile(folder + "/" + name, emptyMovie())) {
            std::fprintf(stderr, "cannot write %s/%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}
