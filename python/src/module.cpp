// The extension module vandrel._vandrel: the bindings of the C++ layers. The package vandrel
// around it re-exports them; a new binding is a Bind* function in a file of its own, called
// here.
#include <pybind11/pybind11.h>

#include <string>

#include "bind_fit.h"
#include "bind_orbit.h"
#include "bind_system.h"
#include "module_system.h"
#include "shell/main_form.h"

namespace py = pybind11;

PYBIND11_MODULE(_vandrel, m) {
    m.doc() = "The C++ layers of Vandrel Pro: the window's model and the flux engine.";
    m.attr("__version__") = vp::MainForm::VersionText();
    py::register_exception_translator([](std::exception_ptr failure) {
        try {
            if (failure) std::rethrow_exception(failure);
        } catch (const vp::python::ModuleError& e) {
            // The window's error reports end in blank lines, which a Python message does not.
            std::string message = e.what();
            message.erase(message.find_last_not_of(" \r\n") + 1);
            PyErr_SetString(
                e.kind == vp::python::ModuleError::Kind::File ? PyExc_OSError : PyExc_ValueError,
                message.c_str());
        }
    });
    vp::python::BindSystem(m);
    vp::python::BindOrbit(m);
    vp::python::BindFit(m);
}
