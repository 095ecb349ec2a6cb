// Free-form reads of arbitrary bytes: the first byte chooses the kinds of up
// to eight items (bit set: integer), the rest is the console input. Reads go
// on until the input ends or a diagnostic ends the run.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/input.hpp"
#include "console/severe.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned kinds = data[0];
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::FILE* stream = fmemopen(text.data(), text.size(), "r");
  if (!stream) return 0;
  {
    console::Input input(stream);
    std::int32_t integers[8] = {};
    float reals[8] = {};
    std::vector<console::ListItem> items;
    const std::size_t count = 1 + (kinds >> 5);
    for (std::size_t i = 0; i < count; ++i) {
      if (kinds & (1u << i))
        items.emplace_back(&integers[i]);
      else
        items.emplace_back(&reals[i]);
    }
    try {
      for (;;) input.read_list(items);
    } catch (const console::Severe& error) {
      if (error.number != 24 && error.number != 59) __builtin_trap();
    }
  }
  std::fclose(stream);
  return 0;
}
