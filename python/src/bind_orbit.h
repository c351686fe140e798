// vandrel.System's radial velocities and absolute dimensions: the orbit in physical units.
#pragma once

#include <pybind11/pybind11.h>

namespace vp::python {

// Adds the methods to the System class BindSystem made.
void BindOrbit(pybind11::module_& module);

}  // namespace vp::python
