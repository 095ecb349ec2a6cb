// The one sink of the toolkit's warnings (a figure that may move in its last
// digits, a model used beyond its tables): the code that finds one calls
// warn, and each front end says where warnings go, once, before its work:
// the programs to standard error after their name, the Python module to
// Python's warnings (so that a script can catch or filter them).
#pragma once

#include <string>

namespace text {

// Called with each warning's message, from any thread (a sink that needs a
// lock takes it).
using WarningSink = void (*)(const std::string& message);

// The sink from now on; nullptr: standard error, "warning: MESSAGE".
void set_warning_sink(WarningSink sink);
void warn(const std::string& message);

}  // namespace text
