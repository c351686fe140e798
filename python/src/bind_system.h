// vandrel.System and the module's functions about systems.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <vector>

#include "module_system.h"

namespace vp::python {

// The object Python holds as a vandrel.System: the system and the keywords it was made with
// (to pickle it).
struct PySystem {
    std::shared_ptr<const ModuleSystem> system;
    pybind11::dict keywords;
    std::vector<std::string> warnings;  // the tool's warnings about the values given
};

// The system the keywords describe; with warn, the tool's warnings are issued as UserWarning,
// else only kept.
PySystem MakeSystem(const pybind11::dict& keywords, bool warn = true);

void BindSystem(pybind11::module_& module);

}  // namespace vp::python
