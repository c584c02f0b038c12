#include "gis/symbology/renderers.h"

#include "platform/automation_error.h"

namespace chronova::gis {

void ClassBreaksRenderer::BreakCount(int32_t count) {
    if (count < 0) {
        platform::RaiseError(platform::error::kInvalidProcedureCall);
    }
    const auto size = static_cast<size_t>(count);
    breaks_.resize(size, 0.0);
    low_breaks_.resize(size, 0.0);
    symbols_.resize(size);
    labels_.resize(size);
    Touch();
}

void ClassBreaksRenderer::CheckIndex(int32_t index) const {
    if (index < 0 || index >= BreakCount()) {
        platform::RaiseError(platform::error::kSubscriptOutOfRange);
    }
}

double ClassBreaksRenderer::Break(int32_t index) const {
    CheckIndex(index);
    return breaks_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Break(int32_t index, double value) {
    CheckIndex(index);
    breaks_[static_cast<size_t>(index)] = value;
    Touch();
}

std::shared_ptr<ISymbol> ClassBreaksRenderer::Symbol(int32_t index) const {
    CheckIndex(index);
    return symbols_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Symbol(int32_t index, std::shared_ptr<ISymbol> symbol) {
    CheckIndex(index);
    symbols_[static_cast<size_t>(index)] = std::move(symbol);
    Touch();
}

std::string ClassBreaksRenderer::Label(int32_t index) const {
    CheckIndex(index);
    return labels_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::Label(int32_t index, std::string label) {
    CheckIndex(index);
    labels_[static_cast<size_t>(index)] = std::move(label);
}

double ClassBreaksRenderer::LowBreak(int32_t index) const {
    CheckIndex(index);
    return low_breaks_[static_cast<size_t>(index)];
}

void ClassBreaksRenderer::LowBreak(int32_t index, double value) {
    CheckIndex(index);
    low_breaks_[static_cast<size_t>(index)] = value;
}

int32_t ClassBreaksRenderer::ClassOf(double value) const {
    // The first class is closed below, like the host's: the minimum value belongs to it.
    if (breaks_.empty() || value < MinimumBreak) {
        return -1;
    }
    for (size_t i = 0; i < breaks_.size(); ++i) {
        if (value <= breaks_[i]) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

std::vector<double> EqualIntervalBreaks(double minimum, double maximum, int32_t classes) {
    if (classes < 1 || !(maximum >= minimum)) {
        return {};
    }
    if (maximum == minimum) {
        return {minimum, maximum};
    }
    std::vector<double> breaks;
    breaks.reserve(static_cast<size_t>(classes) + 1);
    const double width = (maximum - minimum) / classes;
    for (int32_t i = 0; i < classes; ++i) {
        breaks.push_back(minimum + i * width);
    }
    breaks.push_back(maximum);
    return breaks;
}

} // namespace chronova::gis
