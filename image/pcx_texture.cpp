#include "image/pcx_texture.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kManufacturer = 10;
constexpr int kVersion = 5;
constexpr long kBitsPerPixelOffset = 3;
constexpr int kBitsPerPixel = 8;
constexpr long kPlanesOffset = 65;
constexpr long kDataOffset = 128;
constexpr long kPaletteBlock = 769;  // the marker byte and 256 entries of red, green, blue
constexpr int kPaletteMarker = 12;
constexpr int kPaletteFloats = 768;
constexpr int kRunFlags = 0xC0;
constexpr int kRunCountMask = 0x3F;
constexpr unsigned char kMissingIndex = 255;  // stands in for pixel data that ends early
// Bounds what a hostile header can make us allocate: 8192 × 8192 pixels.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
// The most pixels one byte of run-length data can stand for, with generous rounding.
constexpr std::int64_t kMaxPixelsPerDataByte = 63;

int readLittleEndian16(std::FILE* file) {
    const int low = std::fgetc(file);
    const int high = std::fgetc(file);
    return (low & 0xFF) | ((high & 0xFF) << 8);
}

int readByteAt(std::FILE* file, long offset) {
    return std::fseek(file, offset, SEEK_SET) == 0 ? std::fgetc(file) : EOF;
}

long fileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    return std::ftell(file);
}

// Decodes run-length coded indices until count are stored; a run reaching past the end is cut
// short, and data that ends early is filled with kMissingIndex.
void decodeRuns(std::FILE* file, unsigned char* image, std::int64_t count) {
    std::int64_t stored = 0;
    while (stored < count) {
        const int b = std::fgetc(file);
        if (b == EOF) {
            image[stored++] = kMissingIndex;
            continue;
        }
        if ((b & kRunFlags) != kRunFlags) {
            image[stored++] = static_cast<unsigned char>(b);
            continue;
        }
        const int value = std::fgetc(file);
        const unsigned char index =
            value == EOF ? kMissingIndex : static_cast<unsigned char>(value);
        const std::int64_t run = std::min<std::int64_t>(b & kRunCountMask, count - stored);
        std::fill(image + stored, image + stored + run, index);
        stored += run;
    }
}

class FileCloser {
public:
    explicit FileCloser(std::FILE* file) : file_(file) {}
    ~FileCloser() { std::fclose(file_); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    std::FILE* file_;
};

}  // namespace

int PcxTexture::readWindow(std::FILE* file) {
    if (file == nullptr) return -1;
    std::rewind(file);
    for (int skipped = 0; skipped < 4; ++skipped) std::fgetc(file);
    const int xMin = readLittleEndian16(file);
    const int yMin = readLittleEndian16(file);
    const int xMax = readLittleEndian16(file);
    const int yMax = readLittleEndian16(file);
    width = xMax - xMin + 1;
    height = yMax - yMin + 1;
    return 0;
}

PcxProblem PcxTexture::loadOrExplain(const char* fileName) {
    if (fileName == nullptr) return PcxProblem::Missing;
    // Opening or reading a pipe or a terminal can block for ever; only a regular file can seek.
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    if (!std::filesystem::exists(status)) return PcxProblem::Missing;
    if (!std::filesystem::is_regular_file(status)) return PcxProblem::NotRegularFile;
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) return PcxProblem::Unreadable;
    FileCloser closer(file);
    source = identityOf(file);

    if (std::fgetc(file) != kManufacturer) return PcxProblem::NotPcx;
    if (std::fgetc(file) != kVersion) return PcxProblem::NotVersion5;
    const bool eightBitsOnePlane = readByteAt(file, kBitsPerPixelOffset) == kBitsPerPixel &&
                                   readByteAt(file, kPlanesOffset) == 1;
    const PcxProblem problem = decode(file);
    return problem == PcxProblem::None || eightBitsOnePlane ? problem
                                                            : PcxProblem::NotEightBitsOnePlane;
}

PcxProblem PcxTexture::decode(std::FILE* file) {
    readWindow(file);
    // An empty or inverted window has no pixels to show.
    if (width <= 0 || height <= 0) return PcxProblem::EmptyWindow;
    const long length = fileLength(file);
    // Too short to hold the header and the palette without the two overlapping.
    if (length < kDataOffset + kPaletteBlock) return PcxProblem::CutShort;
    const std::int64_t pixels = std::int64_t{width} * height;
    if (pixels > kMaxPixels) return PcxProblem::TooLarge;
    if (pixels > kMaxPixelsPerDataByte * (length - kDataOffset)) return PcxProblem::CutShort;

    image.reset(new unsigned char[static_cast<std::size_t>(pixels)]);
    std::fseek(file, kDataOffset, SEEK_SET);
    decodeRuns(file, image.get(), pixels);

    palette.reset(new float[kPaletteFloats]);
    std::fseek(file, -kPaletteBlock, SEEK_END);
    if (std::fgetc(file) != kPaletteMarker) return PcxProblem::NoPalette;
    for (int position = 0; position < kPaletteFloats; ++position) {
        const int byte = std::fgetc(file);
        const float level = static_cast<float>(byte == EOF ? 0 : byte);
        palette[position] = static_cast<float>(level * (1.0 / 255.0));
    }
    return PcxProblem::None;
}

std::shared_ptr<const PcxTexture> loadPcxTexture(const char* fileName) {
    auto texture = std::make_shared<PcxTexture>();
    if (!texture->load(fileName)) return nullptr;
    return texture;
}

int PcxTexture::paletteIndex(int u, int v) const {
    const int column = std::clamp(u, 0, width - 1);
    const int row = std::clamp(v, 0, height - 1);
    return 3 * image[static_cast<std::size_t>(row) * width + column];
}
