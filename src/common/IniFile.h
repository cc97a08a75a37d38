#pragma once
// Plain Windows-style ini file: [section], key=value, file order kept, no escaping.
// Values are UTF-8 in memory; the file is written in CP1251 with CR LF (other programs of the
// family read it) and read as CP1251 or UTF-8. Saving writes a temporary file and renames it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

// The values a whole-number setting may take.
struct TIntRange {
  int min, max;
  bool Contains(int value) const { return value >= min && value <= max; }
};
// Window places and sizes the windows keep in the ini (a place may be negative on a second screen).
inline constexpr TIntRange kWindowPlaceRange{-16384, 16384};
inline constexpr TIntRange kWindowSizeRange{0, 16384};

class TIniFile {
 public:
  explicit TIniFile(std::string path);  // reads the file when it exists

  const std::string& Path() const { return path_; }
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // A value that is not a whole number gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // A value outside the range, or one that is not a whole number, gives the default and is
  // reported (ReportIniFallback): a hand-edited or damaged ini must neither stop the program
  // nor reach the link as it is. The default is then what the next save writes back.
  int ReadInteger(std::string_view section, std::string_view key, int def, TIntRange range) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // keys in file order
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  // Writes the file; false (and the old file untouched) when it cannot be written.
  bool UpdateFile() const;

 private:
  struct Entry { std::string key, value; };
  struct Section { std::string name; std::vector<Entry> entries; };
  const Section* Find(std::string_view section) const;
  Section& FindOrAdd(std::string_view section);
  std::string path_;
  std::vector<Section> sections_;
};

// A setting replaced by its default: "Настройка [section] key=value: <why>, взято <default>".
// Goes to the report installed by TIniReportGuard (the program's exchange log, velmorctl's
// stderr); dropped when there is none.
void ReportIniFallback(std::string_view section, std::string_view key, std::string_view value,
                       std::string_view why, std::string_view def);

// Installs where the fallbacks are reported for the lifetime of the guard and then puts back the
// one it replaced, so guards nest.
class TIniReportGuard {
 public:
  using TReport = std::function<void(const std::string& line)>;
  explicit TIniReportGuard(TReport report);
  ~TIniReportGuard();
  TIniReportGuard(const TIniReportGuard&) = delete;
  TIniReportGuard& operator=(const TIniReportGuard&) = delete;

 private:
  TReport previous_;
};

}  // namespace vlm
