// Python arguments read as the programs read their options: a number the
// designer writes in Python reaches the libraries as the same float or
// double that the same digits give on a command line, and a bad one raises
// ValueError with the program's message (cli::UsageError, which pybind11
// turns into ValueError).
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

namespace python {

namespace py = pybind11;

// A Python float's shortest text (its repr's digits), read by the option's
// grammar: 0.1 gives the float that "0.1" gives veskal. A str is read as
// typed; None is no value.
std::optional<float> float_option(const char* option, const py::handle& value);
std::optional<double> double_option(const char* option, const py::handle& value);

// A number, a list or a one-dimensional array of numbers. A float32 array's
// values are taken as they are (they are floats already); others as above.
std::vector<float> float_values(const char* option, const py::handle& values);
std::vector<double> double_values(const char* option, const py::handle& values);

// A string option among `choices` ("--model: must be a, b or c").
std::string choice(const char* option, const py::handle& value, const std::vector<std::string>& choices);

}  // namespace python
