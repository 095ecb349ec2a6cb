// veskal: characteristics of a TE-11 mode conical horn, by frequency sweep.
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "console/run.hpp"

namespace {

// A standard stream that was closed before the start reads as empty or
// discards what is written, and can never become the report file's descriptor.
void reopen_closed_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (opened >= 0 && opened != fd) {
        dup2(opened, fd);
        close(opened);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  reopen_closed_standard_streams();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return console::run(arguments, stdin, stdout, stderr);
}
