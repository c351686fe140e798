// The keywords of the Python module turned into the tool's options, so that a keyword means
// what the option of the same name means and is checked with the same words.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "module_system.h"

namespace vp::python {

// System(q=..., incl=..., tidal=..., star=..., ld1=..., ...): the boxes, switches, atlas
// system, star file and limb darkening. Throws ModuleError (Value) for a value the tool
// refuses, py::type_error for an unknown keyword or a value of the wrong kind. warnings gets
// the tool's warnings (a box text that does not read as a number).
SystemSettings SettingsFromKeywords(const pybind11::dict& keywords,
                                    std::vector<std::string>& warnings);

// The names System takes, for its documentation and its errors.
std::vector<std::string> SystemKeywords();

// light_curve's bands (one name or a sequence of names), rings and threads on top of the
// system's limb darkening.
PreciseRequest EngineRequest(const PreciseRequest& system, const pybind11::object& bands,
                             const pybind11::object& rings, const pybind11::object& threads);

}  // namespace vp::python
