// Output files written as the shell's `>` leads a user to expect, and safer.
//
// A regular file, or a path that does not exist yet, is replaced whole or not
// at all: the text goes to a temporary file in the same folder (a short name,
// so that a name that only just fits the file system still works), which is
// flushed to disk (fsync), given the old file's permission bits, and renamed
// over the path only when everything was written. A file with more than one
// hard link, or one in a folder the user may not write, is rewritten in place
// from the finished temporary (staged in $TMPDIR or /tmp for the latter), so
// that every name keeps seeing it. A file the user may not write (no write permission
// bit, or refused by the system) is refused. Anything else that exists (a
// character device such as /dev/null, a FIFO, a terminal, a socket) is opened
// and written in place, never replaced. A symbolic link is followed and its
// target written. An empty path is standard output.
//
// Several outputs of one run form one Transaction: every regular file is
// staged first, devices are written next, and the renames come last, so
// either every output appears or none does (an interrupted run by SIGINT,
// SIGTERM or SIGHUP removes its temporary files). Every failure is an
// OutputError naming the path and the system's reason.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Output;

// One output of a transaction; text written to it goes straight to its
// device or to its temporary file.
class OutputStream {
 public:
  virtual ~OutputStream() = default;
  virtual void write(std::string_view text) = 0;
  virtual const std::string& path() const = 0;
};

class Transaction {
 public:
  Transaction();
  ~Transaction();  // removes whatever was not committed
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Opens an output: a temporary file for a regular file or a new path, the
  // path itself for a device or FIFO, standard output for "". Throws
  // OutputError (a read-only file, a missing folder, ...).
  OutputStream& open(const std::string& path);

  // Flushes every output and renames the staged files into place. Throws
  // OutputError, having undone what it could: no temporary file is left and
  // an earlier rename of this transaction is taken back.
  void commit();

 private:
  std::vector<std::unique_ptr<Output>> outputs_;
};

// One text as one output: open, write, commit.
void write_output(const std::string& path, std::string_view text);

// Whether two output paths name the same file (after following links; a
// new path by its folder and name). Empty paths (standard output) are the
// same as each other.
bool same_file(const std::string& a, const std::string& b);

}  // namespace cli
