#include "image/png_writer.h"

#include <png.h>

namespace {

constexpr int kBitsPerComponent = 8;

extern "C" {

// Silent: the writer reports the failure in its own words once libpng has jumped back to it.
[[noreturn]] void jumpBack(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

// A failed write stays on the stream's error indicator, which the writer reads after each call;
// libpng goes on as if it had succeeded.
void writeToStream(png_structp png, png_bytep bytes, std::size_t count) {
    std::fwrite(bytes, 1, count, static_cast<std::FILE*>(png_get_io_ptr(png)));
}
// The output file flushes the stream when it closes.
void leaveUnflushed(png_structp) {}
}

// Runs calls into libpng, which leaves them by longjmp on an error: no frame between here and
// there may hold an object with a destructor. False when libpng reported an error.
template <typename Calls>
bool completes(png_structp png, const Calls& calls) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    calls();
    return true;
}

}  // namespace

PngWriter::PngWriter(std::uint32_t width, std::uint32_t height, const char* fileName,
                     std::FILE* errors)
    : height_(height),
      row_(3 * std::size_t{width}),
      fileName_(fileName),
      errors_(errors),
      output_(fileName_) {
    if (isOpen()) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, ignoreWarning);
    }
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (info_ == nullptr) {
        giveUp();
        return;
    }
    png_set_write_fn(png_, output_.stream(), writeToStream, leaveUnflushed);
    const bool started = completes(png_, [&] {
        png_set_IHDR(png_, info_, width, height, kBitsPerComponent, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png_, info_);
    });
    if (!started || std::ferror(output_.stream())) giveUp();
}

PngWriter::~PngWriter() { png_destroy_write_struct(&png_, &info_); }

void PngWriter::writePixel(int red, int green, int blue) {
    if (broken_) return;
    if (!isOpen()) {
        std::fputs("ERROR: Unable to write pixel. Writing more than (width*height) pixels?\n",
                   errors_);
        std::fflush(errors_);
        return;
    }
    for (const int component : {red, green, blue}) {
        row_[rowFilled_++] = static_cast<unsigned char>(component & 0xFF);
    }
    if (rowFilled_ < row_.size()) return;
    rowFilled_ = 0;
    const bool last = ++rowsWritten_ == height_;
    const bool written = completes(png_, [&] {
        png_write_row(png_, row_.data());
        if (last) png_write_end(png_, info_);
    });
    if (!written || std::ferror(output_.stream())) {
        giveUp();
    } else if (last) {
        finish();
    }
}

void PngWriter::finish() {
    if (output_.close()) {
        complete_ = true;
    } else {
        broken_ = true;
        reportUnwritable();
    }
}

void PngWriter::giveUp() {
    output_.discard();
    broken_ = true;
    reportUnwritable();
}

void PngWriter::reportUnwritable() {
    const std::string line = "ERROR: Unable to write to " + fileName_ + ".\n";
    std::fputs(line.c_str(), errors_);
    std::fflush(errors_);
}
