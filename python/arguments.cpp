#include "python/arguments.hpp"

#include <charconv>
#include <cmath>

#include "cli/usage.hpp"
#include "numerics/errors.hpp"
#include "text/numbers.hpp"

namespace python {
namespace {

// A double's shortest round-trip digits (Python's repr of the same float).
std::string shortest_text(double v) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  return {text, end};
}

// A TypeError naming the argument as the module's messages name it.
[[noreturn]] void type_error(const char* option, const std::string& what) {
  throw py::type_error(
      numerics::worded(std::string(option) + ": " + what, [](const std::string& name) { return name; }));
}

std::string type_name(const py::handle& value) { return py::str(value.get_type().attr("__name__")); }

// True and False (Python's or numpy's) are not numbers of GHz or lengths.
bool is_boolean(const py::handle& value) {
  const std::string name = type_name(value);
  return py::isinstance<py::bool_>(value) || name == "bool_" || name == "bool";
}

// The text a number stands for: a Python str as it is, a float (or anything
// numbers.Real) by its shortest round-trip digits, which are Python's repr.
// A boolean, a complex number or anything else is a TypeError.
std::string text_of(const char* option, const py::handle& value) {
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (is_boolean(value) || PyComplex_Check(value.ptr()) || type_name(value).rfind("complex", 0) == 0 ||
      !PyNumber_Check(value.ptr()))
    type_error(option, "must be a real number, not " + type_name(value));
  const double v = PyFloat_AsDouble(value.ptr());
  if (v == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return shortest_text(v);
}

template <class T, class Read>
std::vector<T> values(const char* option, const py::handle& values, Read read) {
  if (values.is_none()) throw cli::UsageError(std::string(option) + ": a value is needed");
  if (py::isinstance<py::str>(values) || !py::hasattr(values, "__len__")) return {read(option, values)};
  // A masked array's mask would be dropped by the conversion: refused.
  if (py::hasattr(values, "mask") && py::hasattr(values, "filled"))
    type_error(option, "a masked array is not taken (fill or compress it first)");
  const auto array = py::array::ensure(values);
  if (!array) throw cli::UsageError(std::string(option) + ": must be a number or a sequence of numbers");
  if (array.ndim() > 1)
    throw cli::UsageError(std::string(option) + ": must be one-dimensional (an array of shape " +
                          std::to_string(array.shape(0)) + " x " + std::to_string(array.shape(1)) +
                          (array.ndim() > 2 ? " x ..." : "") + " was given)");
  std::vector<T> out;
  const char kind = array.dtype().kind();
  if (kind == 'b' || kind == 'c')
    type_error(option,
               std::string("must hold real numbers, not ") + (kind == 'b' ? "booleans" : "complex numbers"));
  if (kind == 'O' && py::isinstance<py::array>(values))
    type_error(option, "an array of Python objects is not taken (give it a numeric dtype)");
  if (array.ndim() == 0) return {read(option, values)};
  out.reserve(static_cast<std::size_t>(array.size()));
  if constexpr (std::is_same_v<T, float>) {
    if (py::isinstance<py::array_t<float>>(array)) {
      const auto exact = py::array_t<float>::ensure(array);
      const auto view = exact.template unchecked<1>();
      for (py::ssize_t i = 0; i < view.shape(0); ++i) {
        const float v = view(i);
        out.push_back(std::isfinite(v) ? v : text::read_float(option, text::shortest(v)));  // its refusal
      }
      return out;
    }
  }
  if (array.dtype().kind() == 'f' || array.dtype().kind() == 'i' || array.dtype().kind() == 'u') {
    const auto doubles = py::array_t<double, py::array::forcecast>::ensure(array);
    const auto view = doubles.template unchecked<1>();
    for (py::ssize_t i = 0; i < view.shape(0); ++i) {
      const std::string text = shortest_text(view(i));
      if constexpr (std::is_same_v<T, float>)
        out.push_back(text::read_float(option, text));
      else
        out.push_back(text::read_double(option, text));
    }
    return out;
  }
  for (const py::handle item : values) out.push_back(read(option, item));
  return out;
}

float read_one_float(const char* option, const py::handle& v) {
  return text::read_float(option, text_of(option, v));
}
double read_one_double(const char* option, const py::handle& v) {
  return text::read_double(option, text_of(option, v));
}

}  // namespace

std::optional<float> float_option(const char* option, const py::handle& value) {
  if (value.is_none()) return std::nullopt;
  return read_one_float(option, value);
}

std::optional<double> double_option(const char* option, const py::handle& value) {
  if (value.is_none()) return std::nullopt;
  return read_one_double(option, value);
}

std::vector<float> float_values(const char* option, const py::handle& v) {
  return values<float>(option, v, read_one_float);
}

std::vector<double> double_values(const char* option, const py::handle& v) {
  return values<double>(option, v, read_one_double);
}

std::string choice(const char* option, const py::handle& value, const std::vector<std::string>& choices) {
  std::string list;
  for (std::size_t i = 0; i < choices.size(); ++i)
    list += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
  if (py::isinstance<py::str>(value)) {
    auto text = value.cast<std::string>();
    for (const auto& c : choices)
      if (c == text) return text;
  }
  throw cli::UsageError(std::string(option) + ": must be " + list);
}

}  // namespace python
