// vandrel.System and the module's functions about systems.
#pragma once

#include <pybind11/pybind11.h>

namespace vp::python {

void BindSystem(pybind11::module_& module);

}  // namespace vp::python
