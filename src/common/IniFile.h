#pragma once
// Plain Windows-style ini file: [section], key=value, file order kept, no escaping.
// Values are UTF-8 in memory; the file is written in CP1251 with CR LF (other programs of the
// family read it) and read as CP1251 or UTF-8. Saving writes a temporary file and renames it.
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

class TIniFile {
 public:
  explicit TIniFile(std::string path);  // reads the file when it exists

  const std::string& Path() const { return path_; }
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // A value that is not a whole number gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
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

}  // namespace vlm
