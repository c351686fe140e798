// vandrel._fit: the fit of a system to observations, which vandrel.fit calls.
#pragma once

#include <pybind11/pybind11.h>

namespace vp::python {

void BindFit(pybind11::module_& module);

}  // namespace vp::python
