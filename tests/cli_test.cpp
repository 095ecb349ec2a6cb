// The companions' shared command-line pieces: numbers read as veskal reads
// them, the frequency rule, and output files on every kind of path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "cli/options.hpp"
#include "cli/output.hpp"
#include "cli/usage.hpp"
#include "numerics/decimal.hpp"
#include "text/numbers.hpp"

namespace {

namespace fs = std::filesystem;

// The same typed digits give the same float as the dialogue's reader: one
// correct rounding, including just above the midpoint between two floats.
TEST(Numbers, ReadAsTheDialogueReadsThem) {
  const char* texts[] = {"7.5",
                         "7.5000002384185791015625000001",
                         "7.50000023841857910156249999",
                         "1.5D1",
                         "2q-1",
                         "+.5",
                         "-3.",
                         "0D5",
                         "3e38",
                         "15"};
  for (const char* text : texts) {
    const auto decimal = numerics::parse_decimal(text);
    ASSERT_TRUE(decimal.has_value()) << text;
    EXPECT_EQ(text::read_float("--x", text), numerics::nearest_float(*decimal)) << text;
  }
  EXPECT_EQ(text::read_float("--x", "7.5000002384185791015625000001"), 0x1.e00002p+2f);
  EXPECT_EQ(text::read_float("--x", "7.50000023841857910156249999"), 7.5f);
  EXPECT_EQ(text::read_double("--x", "0.1"), 0.1);
  // A number that is not zero but rounds to zero is too small, not "not positive".
  try {
    (void)text::read_float("--frequencies", "1e-46");
    ADD_FAILURE() << "1e-46 taken as 0";
  } catch (const numerics::InvalidRequest& e) {
    EXPECT_STREQ(e.what(), "--frequencies: '1e-46' is too small (it rounds to 0)");
  }
  EXPECT_EQ(text::read_float("--x", "0.000"), 0.0f);
}

TEST(Numbers, RefusedWithTheOptionsName) {
  const char* refused[] = {"0x10", "",    " 1",  "1 ",    "nan", "inf", "-inf",
                           "1e",   "1,5", "--1", "1.5.2", "e5",  "1e99"};
  for (const char* text : refused) {
    try {
      (void)text::read_float("--aperture-diameter", text);
      ADD_FAILURE() << "'" << text << "' taken";
    } catch (const cli::UsageError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("--aperture-diameter: '", 0), 0u) << e.what();
    }
  }
  EXPECT_THROW((void)text::read_double("--gain", "1e400"), cli::UsageError);
}

TEST(Numbers, LongArgumentsAreShortenedInMessages) {
  EXPECT_EQ(text::shortened("short"), "short");
  const std::string long_text(1000, '7');
  EXPECT_EQ(text::shortened(long_text).size(), 79u);
  // Not cut inside a two-byte character.
  std::string degrees;
  for (int i = 0; i < 60; ++i) degrees += "\xC2\xB0";
  const std::string cut = text::shortened(degrees);
  EXPECT_LE(cut.size(), 80u);
  EXPECT_EQ(cut.find("..."), 38u);
  EXPECT_EQ(static_cast<unsigned char>(cut[cut.find("...") + 3]), 0xC2);
}

TEST(Frequencies, RangesListsAndTheirLimits) {
  cli::FrequencyOptions o;
  o.start = 8.2f, o.stop = 12.4f, o.step = 0.6f;
  const cli::Frequencies f = cli::frequencies(o, 100);
  EXPECT_EQ(f.count, 8);
  EXPECT_EQ(f[7], 12.4f);
  o.step = 1e-12f;  // 4e12 rows: the count must not overflow
  try {
    (void)cli::frequencies(o, 10000000);
    ADD_FAILURE();
  } catch (const cli::UsageError& e) {
    EXPECT_NE(std::string(e.what()).find("too many rows"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("10000000"), std::string::npos) << e.what();
  }
  o.step = -1.0f;
  EXPECT_THROW((void)cli::frequencies(o, 100), cli::UsageError);
  o.start = -2.0f, o.stop = 2.0f, o.step = 1.0f;  // frequencies that are not positive
  EXPECT_THROW((void)cli::frequencies(o, 100), cli::UsageError);
  cli::FrequencyOptions list;
  list.list = {18.0f, 6.0f, 12.0f};
  EXPECT_EQ(cli::frequencies(list, 3).all(), list.list);
  EXPECT_THROW((void)cli::frequencies(list, 2), cli::UsageError);
}

// A scratch folder per test, removed afterwards.
class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/veskal-output-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    folder_ = name;
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) const { return folder_ + "/" + name; }
  static std::string read(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const std::string& file, const std::string& text) { std::ofstream(file) << text; }
  // Nothing but the named entries is left in the folder.
  std::size_t entries() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder_)) ++n;
    return n;
  }
  // A device node like the machine's (major 1: 3 is null, 7 is full), made
  // here so that a faulty writer replaces this one and not the machine's.
  bool device(const std::string& name, unsigned minor) const {
    return ::mknod(path(name).c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0;
  }
  std::string folder_;
};

TEST_F(OutputFiles, RegularFileReplacedWholeWithItsMode) {
  const std::string file = path("table.csv");
  write(file, "old contents that are longer than the new ones\n");
  ::chmod(file.c_str(), 0640);
  cli::write_output(file, "new\n");
  EXPECT_EQ(read(file), "new\n");
  struct stat s {};
  ASSERT_EQ(::stat(file.c_str(), &s), 0);
  EXPECT_EQ(s.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), 1u);
  cli::write_output(path("new.csv"), "fresh\n");
  EXPECT_EQ(read(path("new.csv")), "fresh\n");
}

TEST_F(OutputFiles, ReadOnlyFileRefusedAndKept) {
  const std::string file = path("kept.csv");
  write(file, "old\n");
  ::chmod(file.c_str(), 0444);
  try {
    cli::write_output(file, "new\n");
    ADD_FAILURE();
  } catch (const cli::OutputError& e) {
    EXPECT_NE(std::string(e.what()).find("kept.csv: Permission denied"), std::string::npos) << e.what();
  }
  EXPECT_EQ(read(file), "old\n");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFiles, SymbolicLinkFollowed) {
  write(path("target.csv"), "old\n");
  fs::create_symlink("target.csv", path("link.csv"));
  cli::write_output(path("link.csv"), "new\n");
  EXPECT_TRUE(fs::is_symlink(path("link.csv")));
  EXPECT_EQ(read(path("target.csv")), "new\n");
  // A dangling link: its target is created.
  fs::create_symlink("created.csv", path("dangling.csv"));
  cli::write_output(path("dangling.csv"), "made\n");
  EXPECT_TRUE(fs::is_symlink(path("dangling.csv")));
  EXPECT_EQ(read(path("created.csv")), "made\n");
}

TEST_F(OutputFiles, HardLinksKeepSeeingTheFile) {
  write(path("a.csv"), "old\n");
  fs::create_hard_link(path("a.csv"), path("b.csv"));
  cli::write_output(path("a.csv"), "new\n");
  EXPECT_EQ(read(path("b.csv")), "new\n");
  EXPECT_EQ(fs::hard_link_count(path("a.csv")), 2u);
  EXPECT_EQ(entries(), 2u);
}

TEST_F(OutputFiles, FifoWrittenInPlace) {
  const std::string fifo = path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = read(fifo); });
  cli::write_output(fifo, "through the pipe\n");
  reader.join();
  EXPECT_EQ(received, "through the pipe\n");
  struct stat s {};
  ASSERT_EQ(::lstat(fifo.c_str(), &s), 0);
  EXPECT_TRUE(S_ISFIFO(s.st_mode));
}

TEST_F(OutputFiles, DevicesWrittenInPlaceAndAFullDiskReported) {
  if (!device("null", 3) || !device("full", 7)) GTEST_SKIP() << "mknod needs the superuser";
  cli::write_output(path("null"), "gone\n");
  struct stat s {};
  ASSERT_EQ(::lstat(path("null").c_str(), &s), 0);
  EXPECT_TRUE(S_ISCHR(s.st_mode)) << "the device was replaced";
  try {
    cli::write_output(path("full"), "no room\n");
    ADD_FAILURE() << "a full device took the text";
  } catch (const cli::OutputError& e) {
    EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
  }
  ASSERT_EQ(::lstat(path("full").c_str(), &s), 0);
  EXPECT_TRUE(S_ISCHR(s.st_mode));
  EXPECT_EQ(entries(), 2u);
}

TEST_F(OutputFiles, MissingFolderNamedWithItsReason) {
  try {
    cli::write_output(path("no/such/table.csv"), "x");
    ADD_FAILURE();
  } catch (const cli::OutputError& e) {
    EXPECT_NE(std::string(e.what()).find("table.csv: No such file or directory"), std::string::npos)
        << e.what();
  }
  EXPECT_THROW(cli::write_output(folder_, "x"), cli::OutputError);  // a folder
}

TEST_F(OutputFiles, NameThatOnlyJustFits) {
  const std::string name(255, 'n');  // NAME_MAX on Linux file systems
  cli::write_output(path(name), "fits\n");
  EXPECT_EQ(read(path(name)), "fits\n");
  EXPECT_THROW(cli::write_output(path(name + "x"), "x"), cli::OutputError);
  EXPECT_EQ(entries(), 1u);
}

// Two outputs of one run: both or neither.
TEST_F(OutputFiles, TransactionBothOrNeither) {
  write(path("answers"), "old answers\n");
  {
    cli::Transaction t;
    t.open(path("answers")).write("new answers\n");
    EXPECT_THROW(t.open(path("missing/design.txt")), cli::OutputError);
  }
  EXPECT_EQ(read(path("answers")), "old answers\n");
  EXPECT_EQ(entries(), 1u);

  if (device("full", 7)) {
    cli::Transaction t;
    t.open(path("answers")).write("new answers\n");
    t.open(path("full")).write("no room\n");
    EXPECT_THROW(t.commit(), cli::OutputError);
  }
  EXPECT_EQ(read(path("answers")), "old answers\n");

  cli::Transaction t;
  t.open(path("answers")).write("new answers\n");
  t.open(path("design.txt")).write("design\n");
  t.commit();
  EXPECT_EQ(read(path("answers")), "new answers\n");
  EXPECT_EQ(read(path("design.txt")), "design\n");
}

TEST_F(OutputFiles, SameFileRecognised) {
  write(path("a"), "x");
  fs::create_symlink("a", path("link"));
  EXPECT_TRUE(cli::same_file(path("a"), path("link")));
  EXPECT_TRUE(cli::same_file(path("new"), folder_ + "/./new"));
  EXPECT_FALSE(cli::same_file(path("a"), path("b")));
  EXPECT_FALSE(cli::same_file(path("a"), ""));
  EXPECT_THROW(cli::require_distinct_outputs({{"--output", path("a")}, {"--answers", path("link")}}),
               cli::UsageError);
}

}  // namespace
