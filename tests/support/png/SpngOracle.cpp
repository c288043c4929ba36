#include "SpngOracle.h"

#include <spng.h>

#include <cstring>
#include <memory>

namespace pngtest {

namespace {

using Context = std::unique_ptr<spng_ctx, void (*)(spng_ctx*)>;

uint8_t Reduce(uint16_t v) { return static_cast<uint8_t>((uint32_t{v} * 255 + 32767) / 65535); }

} // namespace

OracleResult SpngDecode(const uint8_t* data, size_t size, uint64_t maxPixels) {
    OracleResult r;
    Context ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx)
        return r;
    spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
    if ((r.error = spng_set_png_buffer(ctx.get(), data, size)) != 0)
        return r;
    spng_ihdr ihdr{};
    if ((r.error = spng_get_ihdr(ctx.get(), &ihdr)) != 0)
        return r;
    if (uint64_t{ihdr.width} * ihdr.height > maxPixels) {
        r.error = SPNG_EOVERFLOW;
        return r;
    }
    const bool deep = ihdr.bit_depth == 16;
    const int format = deep ? SPNG_FMT_RGBA16 : SPNG_FMT_RGBA8;
    size_t bytes = 0;
    if ((r.error = spng_decoded_image_size(ctx.get(), format, &bytes)) != 0)
        return r;
    std::vector<uint8_t> rgba(bytes);
    if ((r.error = spng_decode_image(ctx.get(), rgba.data(), rgba.size(), format, SPNG_DECODE_TRNS)) != 0)
        return r;
    const size_t pixels = size_t{ihdr.width} * ihdr.height;
    r.bgra.resize(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        for (int c = 0; c < 4; ++c) {
            uint8_t v;
            if (deep) {
                uint16_t sample;  // libspng writes 16-bit samples in host order
                std::memcpy(&sample, rgba.data() + 8 * i + 2 * c, 2);
                v = Reduce(sample);
            } else {
                v = rgba[4 * i + c];
            }
            r.bgra[4 * i + (c == 3 ? 3 : 2 - c)] = v;
        }
    }
    r.ok = true;
    r.width = ihdr.width;
    r.height = ihdr.height;
    return r;
}

std::string SpngErrorText(int error) { return spng_strerror(error); }

} // namespace pngtest
