#include "skin/owners.h"

#include <array>
#include <atomic>

namespace skin {
namespace {
// Owners are made on the main thread and on the Apply worker, so the counts are atomics.
std::array<std::atomic<long>, static_cast<size_t>(OwnedKind::Count)> g_live{};
} // namespace

namespace detail {
void CountUp(OwnedKind kind) {
    g_live[static_cast<size_t>(kind)].fetch_add(1, std::memory_order_relaxed);
}
void CountDown(OwnedKind kind) {
    g_live[static_cast<size_t>(kind)].fetch_sub(1, std::memory_order_relaxed);
}
} // namespace detail

long LiveObjects(OwnedKind kind) {
    return g_live[static_cast<size_t>(kind)].load(std::memory_order_relaxed);
}

long LiveGdiObjects() {
    return LiveObjects(OwnedKind::Dc) + LiveObjects(OwnedKind::GdiObject);
}

long LiveGdipObjects() {
    long total = 0;
    for (auto kind : {OwnedKind::Graphics, OwnedKind::GpBrush, OwnedKind::GpPen, OwnedKind::GpImage,
                      OwnedKind::GpFont, OwnedKind::GpStringFormat, OwnedKind::GpFontFamily})
        total += LiveObjects(kind);
    return total;
}

} // namespace skin
