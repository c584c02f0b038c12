#include "gis/layers/layer.h"

#include <atomic>

namespace chronova::gis {

namespace {

uint32_t NextLayerId() {
    static std::atomic<uint32_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

LayerBase::LayerBase() : layer_id_(NextLayerId()) {}

LayerBase::LayerBase(std::string name) : name_(std::move(name)), layer_id_(NextLayerId()) {}

} // namespace chronova::gis
