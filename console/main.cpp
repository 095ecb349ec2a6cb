// veskal: characteristics of a TE-11 mode conical horn, by frequency sweep.
#include <cstdio>
#include <string>
#include <vector>

#include "console/run.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return console::run(arguments, stdin, stdout, stderr);
}
