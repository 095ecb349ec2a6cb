#include "cli/output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <tuple>

#include "cli/usage.hpp"
#include "text/numbers.hpp"

namespace cli {

using text::shortened;
namespace {

[[noreturn]] void fail(const std::string& path, int error) {
  throw OutputError("cannot write " + (path.empty() ? std::string("standard output") : shortened(path)) +
                    ": " + std::strerror(error));
}

// Temporary files that a signal must not leave behind: fixed slots, so that
// the handler needs neither allocation nor locks.
constexpr std::size_t temporary_slots = 8;
std::array<std::array<char, 4096>, temporary_slots> temporary_names{};
std::array<std::atomic<bool>, temporary_slots> temporary_used{};

// The handlers found before ours (an embedding interpreter's, such as
// Python's SIGINT handler), called after the files are removed.
constexpr std::array<int, 3> cleaned_signals = {SIGINT, SIGTERM, SIGHUP};
std::array<struct sigaction, cleaned_signals.size()> previous_actions{};

extern "C" void remove_temporaries(int signal) {
  for (std::size_t i = 0; i < temporary_slots; ++i)
    if (temporary_used[i].load()) ::unlink(temporary_names[i].data());
  for (std::size_t i = 0; i < cleaned_signals.size(); ++i) {
    if (cleaned_signals[i] != signal) continue;
    const struct sigaction& before = previous_actions[i];
    if ((before.sa_flags & SA_SIGINFO) == 0 && before.sa_handler == SIG_IGN) return;
    if ((before.sa_flags & SA_SIGINFO) == 0 && before.sa_handler != SIG_DFL) {
      before.sa_handler(signal);  // the embedder's own handling (it may return)
      return;
    }
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Only where a named temporary file is staged (a file system without
// O_TMPFILE): an unnamed one vanishes with the process by itself.
void install_handlers() {
  static const bool installed = [] {
    for (std::size_t i = 0; i < cleaned_signals.size(); ++i) {
      struct sigaction action {};
      action.sa_handler = remove_temporaries;
      sigemptyset(&action.sa_mask);
      ::sigaction(cleaned_signals[i], &action, &previous_actions[i]);
    }
    return true;
  }();
  (void)installed;
}

int register_temporary(const std::string& name) {
  install_handlers();
  if (name.size() >= temporary_names[0].size()) return -1;
  for (std::size_t i = 0; i < temporary_slots; ++i) {
    if (temporary_used[i].load()) continue;
    std::memcpy(temporary_names[i].data(), name.c_str(), name.size() + 1);
    temporary_used[i].store(true);
    return static_cast<int>(i);
  }
  return -1;
}

void forget_temporary(int slot) {
  if (slot >= 0) temporary_used[static_cast<std::size_t>(slot)].store(false);
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The path with every symbolic link along its last component followed.
std::string follow_links(const std::string& path) {
  std::string p = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat s {};
    if (::lstat(p.c_str(), &s) != 0 || !S_ISLNK(s.st_mode)) return p;
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
    if (n < 0) fail(path, errno);
    target.resize(static_cast<std::size_t>(n));
    if (target.empty() || target.front() != '/') target.insert(0, folder_of(p) + "/");
    p = target;
  }
  fail(path, ELOOP);
}

// 0, or the error that stopped the write.
int write_fd(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

void write_all(int fd, std::string_view text, const std::string& path) {
  if (const int error = write_fd(fd, text); error != 0) fail(path, error);
}

// An unnamed file in `folder` (Linux's O_TMPFILE): it has no name until it
// is linked in place, so that no kill, not even SIGKILL, leaves it behind;
// -1 (errno set) where the file system or the kernel lacks it.
int unnamed_file(const std::string& folder) {
#ifdef O_TMPFILE
  int fd = -1;
  do fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  while (fd < 0 && errno == EINTR);
  return fd;
#else
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Gives the unnamed file `fd` the name `name`: through /proc (any user), or
// by AT_EMPTY_PATH (the superuser, where /proc is not mounted); errno on
// failure (EEXIST where the name is taken).
bool link_unnamed(int fd, const std::string& name) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno == EEXIST) return false;
  return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
}

// A fresh hidden name in `folder` for a file about to be renamed over its
// target (it exists only between the link and the rename).
std::string fresh_name(const std::string& folder) {
  static std::atomic<unsigned> count{0};
  return folder + "/.vsk" + std::to_string(::getpid()) + "-" + std::to_string(count.fetch_add(1));
}

}  // namespace

// One output: standard output, a device written in place, or a regular file
// staged in a temporary file.
class Output : public OutputStream {
 public:
  explicit Output(const std::string& path) : path_(path) {
    if (path.empty()) {
      fd_ = STDOUT_FILENO;
      return;
    }
    if (path.find('\0') != std::string::npos) fail(path, EINVAL);
    target_ = follow_links(path);
    struct stat s {};
    if (::stat(target_.c_str(), &s) == 0) {
      if (S_ISDIR(s.st_mode)) fail(path, EISDIR);
      if (!S_ISREG(s.st_mode)) {
        do fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        while (fd_ < 0 && errno == EINTR);
        if (fd_ < 0) fail(path, errno);
        return;
      }
      existing_ = s;
      // Refused as the shell's `>` would refuse it, and also with no write
      // bit at all, which the superuser's access rights would pass over.
      if ((s.st_mode & 0222) == 0) fail(path, EACCES);
      const int probe = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
      if (probe < 0) fail(path, errno);
      ::close(probe);
    } else if (errno != ENOENT) {
      fail(path, errno);
    }
    // Staged in an unnamed file where the file system has them, in a hidden
    // named one (removed on SIGINT, SIGTERM and SIGHUP) elsewhere.
    if (stage(folder_of(target_))) return;
    if (existing_ && (errno == EACCES || errno == EROFS)) {
      // A file we may write in a folder we may not: staged in the temporary
      // folder, then copied over the file itself.
      const char* folder = std::getenv("TMPDIR");
      in_place_ = true;
      if (stage(folder && *folder ? folder : "/tmp")) return;
    }
    fail(path, errno);
  }

  // The staging file in `folder`; false (errno set) where none can be made.
  bool stage(const std::string& folder) {
    fd_ = unnamed_file(folder);
    if (fd_ >= 0) {
      unnamed_ = true;
      return true;
    }
    temporary_ = folder + "/.vsk" + "XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
      const int error = errno;
      temporary_.clear();
      errno = error;
      return false;
    }
    slot_ = register_temporary(temporary_);
    return true;
  }

  ~Output() override {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    forget_temporary(slot_);
    if (fd_ > STDERR_FILENO) ::close(fd_);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  const std::string& path() const override { return path_; }
  bool staged() const { return unnamed_ || !temporary_.empty(); }

  void write(std::string_view text) override {
    if (buffer_.size() + text.size() > buffer_limit) flush();
    if (text.size() > buffer_limit)
      write_all(fd_, text, path_);
    else
      buffer_.append(text);
  }

  void flush() {
    write_all(fd_, buffer_, path_);
    buffer_.clear();
  }

  // Everything on disk, the mode set; the temporary file closed.
  void finish() {
    flush();
    if (!staged()) return;
    if (existing_) {
      if (::fchmod(fd_, existing_->st_mode & 07777) != 0) fail(path_, errno);
      (void)::fchown(fd_, existing_->st_uid, existing_->st_gid);  // only the superuser may
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      if (::fchmod(fd_, 0666 & ~mask) != 0) fail(path_, errno);
    }
    if (::fsync(fd_) != 0) fail(path_, errno);
    if (unnamed_) return;  // kept open: install links it in place
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail(path_, errno);
  }

  // Puts the staged file in place; keeps what it replaced as a link named
  // `backup_` (when asked) so that the transaction can take the rename back.
  void install(bool keep_backup) {
    if (!staged()) return;
    if (in_place_ || (existing_ && existing_->st_nlink > 1)) return rewrite_in_place();
    if (unnamed_ && name_unnamed()) return;
    if (keep_backup && existing_) {
      backup_ = folder_of(target_) + "/.vsk" + "XXXXXX";
      const int fd = ::mkostemp(backup_.data(), O_CLOEXEC);
      if (fd < 0 || ::close(fd) != 0 || ::unlink(backup_.c_str()) != 0 ||
          ::link(target_.c_str(), backup_.c_str()) != 0) {
        const int error = errno;
        backup_.clear();
        fail(path_, error);
      }
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail(path_, errno);
    temporary_.clear();
    forget_temporary(slot_);
    slot_ = -1;
    sync_folder();
  }

  void undo() {
    if (!backup_.empty()) {
      (void)::rename(backup_.c_str(), target_.c_str());
      backup_.clear();
    }
  }

  void drop_backup() {
    if (!backup_.empty()) ::unlink(backup_.c_str());
    backup_.clear();
  }

 private:
  static constexpr std::size_t buffer_limit = 1 << 16;

  void sync_folder() const {
    const int folder = ::open(folder_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      (void)::fsync(folder);
      ::close(folder);
    }
  }

  // The unnamed file given its name: a new file linked as the target itself
  // (true: done); over an existing one, linked under a fresh hidden name for
  // install's rename (false).
  bool name_unnamed() {
    const int fd = fd_;
    auto named = [&] {
      fd_ = -1;
      unnamed_ = false;
      if (::close(fd) != 0) fail(path_, errno);
    };
    if (!existing_ && link_unnamed(fd, target_)) {
      named();
      sync_folder();
      return true;
    }
    if (!existing_ && errno != EEXIST) fail(path_, errno);
    for (int attempt = 0;; ++attempt) {
      temporary_ = fresh_name(folder_of(target_));
      if (link_unnamed(fd, temporary_)) break;
      if (errno != EEXIST || attempt == 100) {
        const int error = errno;
        temporary_.clear();
        fail(path_, error);
      }
    }
    slot_ = register_temporary(temporary_);
    named();
    return false;
  }

  // A file with several names: the finished text copied over the file itself.
  void rewrite_in_place() {
    // The unnamed file is read through its own descriptor, from the start.
    const int from = unnamed_ ? fd_ : ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
    if (unnamed_) {
      fd_ = -1;
      unnamed_ = false;
      if (::lseek(from, 0, SEEK_SET) != 0) {
        const int error = errno;
        ::close(from);
        fail(path_, error);
      }
    }
    if (from < 0) fail(path_, errno);
    const int to = ::open(target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (to < 0) {
      const int error = errno;
      ::close(from);
      fail(path_, error);
    }
    std::string block(buffer_limit, '\0');
    int error = 0;
    for (;;) {
      const ssize_t n = ::read(from, block.data(), block.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) break;
      error = write_fd(to, std::string_view(block.data(), static_cast<std::size_t>(n)));
      if (error != 0) break;
    }
    if (error == 0 && ::fsync(to) != 0) error = errno;
    ::close(from);
    if (::close(to) != 0 && error == 0) error = errno;
    if (error != 0) fail(path_, error);
  }

  std::string path_, target_, temporary_, backup_;
  std::optional<struct stat> existing_;
  std::string buffer_;
  int fd_ = -1;
  int slot_ = -1;
  bool in_place_ = false;  // staged outside the file's folder
  bool unnamed_ = false;   // staged in an unnamed file, open as fd_
};

Transaction::Transaction() = default;
Transaction::~Transaction() = default;

OutputStream& Transaction::open(const std::string& path) {
  outputs_.push_back(std::make_unique<Output>(path));
  return *outputs_.back();
}

void Transaction::commit() {
  // Devices and standard output first: what cannot be taken back is
  // written before anything is put in place.
  for (auto& o : outputs_)
    if (!o->staged()) o->finish();
  for (auto& o : outputs_)
    if (o->staged()) o->finish();
  const bool several = outputs_.size() > 1;
  std::size_t done = 0;
  try {
    for (; done < outputs_.size(); ++done) outputs_[done]->install(several);
  } catch (const OutputError&) {
    for (std::size_t i = 0; i < done; ++i) outputs_[i]->undo();
    throw;
  }
  for (auto& o : outputs_) o->drop_backup();
}

void write_output(const std::string& path, std::string_view text) {
  Transaction transaction;
  transaction.open(path).write(text);
  transaction.commit();
}

bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return a.empty() && b.empty();
  auto identity = [](const std::string& path) {
    const std::string target = follow_links(path);
    struct stat s {};
    if (::stat(target.c_str(), &s) == 0) return std::pair(s.st_dev, s.st_ino);
    // A new path: its folder's identity and its own name decide.
    return std::pair(dev_t{0}, ino_t{0});
  };
  const auto ia = identity(a), ib = identity(b);
  if (ia.second != 0 || ib.second != 0) return ia == ib;
  // Neither exists: the same folder and the same last name.
  auto folder_and_name = [](const std::string& path) {
    const std::string target = follow_links(path);
    struct stat s {};
    const bool found = ::stat(folder_of(target).c_str(), &s) == 0;
    const std::size_t slash = target.rfind('/');
    return std::tuple(found, s.st_dev, s.st_ino,
                      slash == std::string::npos ? target : target.substr(slash + 1));
  };
  const auto fa = folder_and_name(a), fb = folder_and_name(b);
  return std::get<0>(fa) && fa == fb;
}

}  // namespace cli
