#include "libs/icofile/QuantiserLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace icofile {
namespace {

// The run-time name of the library whose header we build against (Debian's
// libimagequant0); the package depends on it by that name.
constexpr const char* kLibraryName = "libimagequant.so.0";

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

bool Load(QuantiserLibrary& q) {
    // Never unloaded: the OpenMP runtime it pulls in keeps threads of its own.
    void* library = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library == nullptr)
        return false;
    const bool complete = Find(library, "liq_attr_create", q.attrCreate) &&
                          Find(library, "liq_attr_destroy", q.attrDestroy) &&
                          Find(library, "liq_set_max_colors", q.setMaxColors) &&
                          Find(library, "liq_histogram_create", q.histogramCreate) &&
                          Find(library, "liq_histogram_destroy", q.histogramDestroy) &&
                          Find(library, "liq_histogram_add_colors", q.histogramAddColors) &&
                          Find(library, "liq_histogram_quantize", q.histogramQuantize) &&
                          Find(library, "liq_get_palette", q.getPalette) &&
                          Find(library, "liq_result_destroy", q.resultDestroy);
    // Looked up through the library, so found only in the runtime it links.
    if (Find(library, "omp_get_max_threads", q.ompGetMaxThreads) !=
        Find(library, "omp_set_num_threads", q.ompSetNumThreads))
        return false;
    return complete;
}

} // namespace

const QuantiserLibrary* Quantiser() {
    static std::once_flag loaded;
    static QuantiserLibrary library;
    static bool usable = false;
    std::call_once(loaded, [] { usable = Load(library); });
    return usable ? &library : nullptr;
}

} // namespace icofile
