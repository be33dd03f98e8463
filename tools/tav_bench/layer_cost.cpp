// SPDX-License-Identifier: MIT
#include "tools/tav_bench/layer_cost.h"

#include "platform/gl11/gles_seam.h"
#include "tools/tav_bench/bench_stats.h"

#include <type_traits>

namespace {

double glesSeconds = 0;

template <typename F>
struct Timed;

template <typename R, typename... A>
struct Timed<R (*)(A...)> {
    template <R (**real)(A...)>
    static R call(A... a)
    {
        const double start = wallSeconds();
        if constexpr (std::is_void_v<R>) {
            (*real)(a...);
            glesSeconds += wallSeconds() - start;
        } else {
            const R result = (*real)(a...);
            glesSeconds += wallSeconds() - start;
            return result;
        }
    }
};

#define LAYER_COST_REAL(ret, name, params) ret(*real##name) params = nullptr;
GLES_SEAM_ENTRIES(LAYER_COST_REAL)
#undef LAYER_COST_REAL

}  // namespace

void layerCostWrapSeam()
{
#define LAYER_COST_WRAP(ret, name, params)                                                 \
    if (gles.name != &Timed<ret(*) params>::call<&real##name>) {                           \
        real##name = gles.name;                                                            \
        gles.name = &Timed<ret(*) params>::call<&real##name>;                              \
    }
    GLES_SEAM_ENTRIES(LAYER_COST_WRAP)
#undef LAYER_COST_WRAP
    glesSeconds = 0;
}

double layerCostGlesSeconds()
{
    return glesSeconds;
}
