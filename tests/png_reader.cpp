#include "png_reader.hpp"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {

struct memory_source {
    const std::string* bytes;
    std::size_t offset;
};

void read_from_memory(png_structp png, png_bytep data, png_size_t length) {
    auto* source = static_cast<memory_source*>(png_get_io_ptr(png));
    if (source->offset + length > source->bytes->size()) {
        png_error(png, "stream ends early");
    }
    std::memcpy(data, source->bytes->data() + source->offset, length);
    source->offset += length;
}

void record_error(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

} // namespace

decoded_png decode_png(const std::string& bytes) {
    decoded_png result;
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8)) {
        result.error = "no PNG signature";
        return result;
    }
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &result.error, record_error, ignore_warning);
    png_infop info = png_create_info_struct(png);
    memory_source source{&bytes, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        result.valid = false;
        return result;
    }
    png_set_read_fn(png, &source, read_from_memory);
    png_read_info(png, info);
    png_get_IHDR(png, info, &result.width, &result.height, &result.bit_depth, &result.color_type,
                 &result.interlace, nullptr, nullptr);
    png_color_16p trns = nullptr;
    if (png_get_tRNS(png, info, nullptr, nullptr, &trns) && trns != nullptr) {
        result.has_trns = true;
        result.trns_red = trns->red;
        result.trns_green = trns->green;
        result.trns_blue = trns->blue;
    }
    if (result.bit_depth != 8 || result.color_type != PNG_COLOR_TYPE_RGB) {
        result.error = "not 8-bit RGB";
        png_destroy_read_struct(&png, &info, nullptr);
        return result;
    }
    result.pixels.resize(std::size_t{result.width} * result.height * 3);
    for (std::uint32_t y = 0; y < result.height; ++y) {
        rows.push_back(&result.pixels[std::size_t{y} * result.width * 3]);
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    result.valid = source.offset == bytes.size(); // nothing after IEND
    if (!result.valid) {
        result.error = "bytes after the end of the stream";
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

std::uint64_t pixel_digest(const decoded_png& png) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint8_t byte : png.pixels) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}
