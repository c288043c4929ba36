#include "PeerDecode.h"

#include <spng.h>

#include <memory>

namespace bench {

bool SpngDecodeRgba8(const std::vector<uint8_t>& png, std::vector<uint8_t>* rgba) {
    std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    size_t size = 0;
    if (!ctx || spng_set_png_buffer(ctx.get(), png.data(), png.size()) != 0 ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size) != 0)
        return false;
    rgba->resize(size);
    return spng_decode_image(ctx.get(), rgba->data(), rgba->size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) == 0;
}

} // namespace bench
