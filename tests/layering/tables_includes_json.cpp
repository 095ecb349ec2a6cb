// Must not compile: the shared libraries are free of the JSON library.
#include <nlohmann/json.hpp>
