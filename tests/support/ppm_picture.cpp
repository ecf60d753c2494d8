#include "support/ppm_picture.h"

#include <cctype>
#include <cstdlib>

namespace {

// Reads the next white-space separated word at position at, skipping comments.
std::string nextWord(const std::string& bytes, std::size_t& at) {
    while (at < bytes.size()) {
        if (bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n') ++at;
        } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
            ++at;
        } else {
            break;
        }
    }
    const std::size_t start = at;
    while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
    return bytes.substr(start, at - start);
}

std::string describePixel(const std::string& rgb, std::size_t pixel) {
    std::string text;
    for (std::size_t c = 0; c < 3; ++c)
        text += (c ? " " : "") + std::to_string(static_cast<unsigned char>(rgb[3 * pixel + c]));
    return text;
}

}  // namespace

std::string PpmPicture::bytes() const {
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + rgb;
}

PpmPicture parsePpm(const std::string& bytes) {
    std::size_t at = 0;
    const std::string magic = nextWord(bytes, at);
    PpmPicture picture;
    picture.width = std::atoi(nextWord(bytes, at).c_str());
    picture.height = std::atoi(nextWord(bytes, at).c_str());
    const bool eightBit = nextWord(bytes, at) == "255";
    const std::size_t size = 3 * static_cast<std::size_t>(picture.width) * picture.height;
    if (eightBit && magic == "P6" && at + 1 + size <= bytes.size()) {
        picture.rgb = bytes.substr(at + 1, size);  // one white-space byte ends the header
        return picture;
    }
    if (eightBit && magic == "P3") {
        for (std::string word; picture.rgb.size() < size && !(word = nextWord(bytes, at)).empty();)
            picture.rgb += static_cast<char>(std::atoi(word.c_str()));
        if (picture.rgb.size() == size) return picture;
    }
    return PpmPicture();
}

std::string firstDifference(const PpmPicture& actual, const PpmPicture& expected) {
    if (actual.width != expected.width || actual.height != expected.height)
        return std::to_string(actual.width) + " x " + std::to_string(actual.height) +
               " pixels, not " + std::to_string(expected.width) + " x " +
               std::to_string(expected.height);
    for (std::size_t pixel = 0; 3 * pixel < expected.rgb.size(); ++pixel) {
        if (actual.rgb.compare(3 * pixel, 3, expected.rgb, 3 * pixel, 3) != 0)
            return "pixel (" + std::to_string(pixel % expected.width) + ", " +
                   std::to_string(pixel / expected.width) + ") is " +
                   describePixel(actual.rgb, pixel) + ", not " + describePixel(expected.rgb, pixel);
    }
    return "";
}
