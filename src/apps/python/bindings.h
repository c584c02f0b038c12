#pragma once

#include <pybind11/pybind11.h>

#include <mutex>
#include <utility>

// The pieces of the chronova module, each binding one part of the system.
namespace chronova::python {

/// chronova.Error and the translation of the system's exceptions into Python's.
void BindErrors(pybind11::module_& module);
/// chronova.Layer, chronova.DisplayOptions and chronova.AxisState.
void BindValues(pybind11::module_& module);
/// chronova.ChronovaData and chronova.open.
void BindChronovaData(pybind11::module_& module);

/// The one lock around the system: the host, the registry and the drawing are process-wide, so two Python
/// threads must not drive them at once.
std::mutex& SystemLock();

/// Runs work on the system without holding the GIL, so that other Python threads run while a frame is drawn or an
/// animation written. work must not touch Python objects.
template <typename Work>
auto WithoutGil(Work&& work) {
    const pybind11::gil_scoped_release release;
    const std::lock_guard lock(SystemLock());
    return std::forward<Work>(work)();
}

} // namespace chronova::python
