// Whole runs on arbitrary bytes as the console input. The run works in a
// scratch folder of its own; a first line that could name a file outside it
// is blanked, so that the command-line argument names the report instead.
// At most 200 rows are computed per run, so that no input can sweep for hours.
#include <dirent.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/run.hpp"

namespace {

const bool in_scratch_folder = [] {
  char folder[] = "/tmp/veskal-fuzz-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) std::abort();
  return true;
}();

bool is_safe_name(const std::string& line) {
  if (line.size() > 16 || line.find("..") != std::string::npos) return false;
  for (char c : line) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '_' || c == ' ';
    if (!ok) return false;
  }
  return true;
}

void empty_scratch_folder() {
  DIR* dir = opendir(".");
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") unlink(name.c_str());
  }
  closedir(dir);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)in_scratch_folder;
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::size_t end = text.find('\n');
  if (!is_safe_name(text.substr(0, end))) text.replace(0, end == std::string::npos ? text.size() : end, "");
  text += '\0';  // fmemopen wants a buffer of at least one byte
  std::FILE* in = fmemopen(text.data(), text.size() - 1, "r");
  std::FILE* out = std::fopen("/dev/null", "w");
  std::FILE* errors = std::fopen("/dev/null", "w");
  if (in && out && errors) {
    const std::string arguments[] = {"fuzz.rep"};
    const int status = console::run(arguments, in, out, errors, console::RunLimits{200});
    switch (status) {
      case 0:
      case 3:
      case 24:
      case 30:
      case 38:
      case 42:
      case 43:
      case 59:
      case 64:
      case 88:
      case 90:
      case 91: break;
      default: __builtin_trap();
    }
  }
  if (in) std::fclose(in);
  if (out) std::fclose(out);
  if (errors) std::fclose(errors);
  empty_scratch_folder();
  return 0;
}
