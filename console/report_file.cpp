#include "console/report_file.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

#include "console/severe.hpp"
#include "report/blocks.hpp"

namespace console {
namespace {

constexpr const char* report_unit = "66";

Severe open_error(int error, const std::string& name) {
  const std::string where = std::string(", unit ") + report_unit + ", file " + name;
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return severe(600, "access not allowed");
    case ENOENT:
    case ENOTDIR: return severe(602, "file not found");
    case EMFILE:
    case ENFILE: return severe(603, "too many open files");
    case ENXIO:
    case ENODEV: return severe(42, "no such device" + where);
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return severe(43, "file name specification error" + where);
    default: return severe(30, "open failure" + where);
  }
}

}  // namespace

ReportFile::ReportFile(std::string name) : name_(std::move(name)) {
  if (name_.find('\0') != std::string::npos) throw open_error(EINVAL, name_);
  do {
    fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) throw open_error(errno, name_);
}

ReportFile::~ReportFile() {
  if (fd_ >= 0) ::close(fd_);
}

void ReportFile::write_record(std::string_view record) {
  line_.assign(record);
  line_ += report::file_line_end;
  const char* data = line_.data();
  std::size_t left = line_.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw severe(38, std::string("error during write, unit ") + report_unit + ", file " + name_);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (!written_) {
    written_ = true;
    // From now on the file holds this run's lines only. A device such as
    // /dev/null cannot be cut; that is not an error.
    (void)::ftruncate(fd_, static_cast<off_t>(line_.size()));
  }
}

}  // namespace console
