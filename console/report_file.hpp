// The report file: opened for writing when the dialogue names it, created
// when missing, never cut at open. Each record goes to the file as soon as it
// is written, with CR LF, in one write without user-space buffering, so a run
// killed at any moment leaves whole lines. The first record is written at the
// start of the file and the file is cut right after it; a run that writes
// nothing leaves an existing file as it was.
//
// Errors (console::Severe): 600, 602, 603, 42, 43, 30 from the open (by errno;
// a name holding a NUL byte is 43), 38 for a failed write.
#pragma once

#include <string>
#include <string_view>

namespace console {

class ReportFile {
 public:
  explicit ReportFile(std::string name);
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  ~ReportFile();

  void write_record(std::string_view record);

 private:
  std::string name_;
  int fd_ = -1;
  bool written_ = false;
  std::string line_;
};

}  // namespace console
