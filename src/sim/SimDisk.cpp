#include "sim/SimDisk.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "common/TextCodec.h"
#include "platform/FileAccess.h"
#include "sim/DosName.h"
#include "sim/SimProtocol.h"
#include "common/PathText.h"

namespace fs = std::filesystem;

namespace vlm::sim {
namespace {

bool HasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// Host name of a file the controller creates: its name in lower case.
fs::path HostNameOf(const std::string& dosName) {
  std::string lower = dosName;
  for (char& c : lower) c = ToLowerDos(c);
  return PathFromUtf8(DosToUtf8(lower));
}

// Host names the controller can see: names whose form in code page 866 is an 8.3 name and
// converts back to the same host name, so each visible name stands for exactly one host entry.
std::optional<std::string> VisibleName(const fs::path& path) {
  const std::string name = FileNameUtf8(path);
  const std::string dos = Utf8ToDos(name);
  if (DosToUtf8(dos) != name || !IsVisibleDosName(dos)) return std::nullopt;
  return NormalizeDosName(dos, false);
}

// Entries the controller can see are plain files and folders, never links. Asked only of a name
// already found visible: a look at the entry costs a system call, and a lookup walks the folder.
bool IsPlainEntry(const fs::directory_entry& entry) {
  // directory_entry::is_symlink cannot see a link (nor a junction) under MinGW.
  if (platform::IsLink(entry.path())) return false;
  std::error_code ec;
  return entry.is_regular_file(ec) || entry.is_directory(ec);
}

bool IsReadOnly(const fs::path& path) {
  std::error_code ec;
  const auto perms = fs::status(path, ec).permissions();
  return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
}

uint32_t HostDosTime(const fs::path& path) {
  std::error_code ec;
  const auto stamp = fs::last_write_time(path, ec);
  if (ec) return PackDosDateTime(0);
  const auto system = std::chrono::file_clock::to_sys(stamp);
  return PackDosDateTime(std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)));
}

DosEntry EntryOf(const fs::path& path, std::string name) {
  DosEntry e;
  e.name = std::move(name);
  e.dateTime = HostDosTime(path);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    e.attribute = kAttrDirectory;
    return e;
  }
  e.attribute = kAttrArchive;
  if (IsReadOnly(path)) e.attribute |= kAttrReadOnly;
  const auto size = fs::file_size(path, ec);
  e.size = ec ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(size, UINT32_MAX));
  return e;
}

}  // namespace

std::optional<fs::path> FindVisibleChild(const fs::path& hostDir, std::string_view canonicalName) {
  std::error_code ec;
  for (fs::directory_iterator it(hostDir, ec), end; !ec && it != end; it.increment(ec))
    if (VisibleName(it->path()) == canonicalName && IsPlainEntry(*it)) return it->path();
  return std::nullopt;
}

SimDisk::SimDisk(fs::path root) : root_(std::move(root)) {}

std::string SimDisk::CurrentDir() const {
  std::string text = "C:\\";
  for (const auto& dir : cwd_) text += dir + "\\";
  return text;
}

SimDisk::ParsedPath SimDisk::Parse(std::string_view path) const {
  ParsedPath parsed;
  if (path.size() >= 2 && path[1] == ':') {
    if (path[0] != 'c' && path[0] != 'C') return {kDosPathNotFound, {}, {}};
    path.remove_prefix(2);
  }
  const bool absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
  if (!absolute) parsed.dirs = cwd_;
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t sep = path.find_first_of("\\/", start);
    parts.push_back(path.substr(start, sep == std::string_view::npos ? sep : sep - start));
    if (sep == std::string_view::npos) break;
    start = sep + 1;
  }
  parsed.leaf = std::string(parts.back());
  parts.pop_back();
  if (parsed.leaf == "." || parsed.leaf == "..") {
    parts.push_back(parsed.leaf == "." ? std::string_view(".") : std::string_view(".."));
    parsed.leaf.clear();
  }
  for (std::string_view part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parsed.dirs.empty()) return {kDosPathNotFound, {}, {}};
      parsed.dirs.pop_back();
      continue;
    }
    auto name = NormalizeDosName(part, false);
    if (!name) return {kDosPathNotFound, {}, {}};
    parsed.dirs.push_back(*name);
  }
  return parsed;
}

std::optional<fs::path> SimDisk::HostDir(const std::vector<std::string>& dirs) const {
  fs::path host = root_;
  for (const auto& dir : dirs) {
    auto child = FindVisibleChild(host, dir);
    std::error_code ec;
    if (!child || !fs::is_directory(*child, ec)) return std::nullopt;
    host = *child;
  }
  return host;
}

SimDisk::Target SimDisk::Locate(std::string_view dosName, uint16_t invalidNameError) const {
  Target target;
  ParsedPath parsed = Parse(dosName);
  if (parsed.error) return {parsed.error, {}, {}, {}};
  auto dir = HostDir(parsed.dirs);
  if (!dir) return {kDosPathNotFound, {}, {}, {}};
  target.hostDir = *dir;
  auto name = NormalizeDosName(parsed.leaf, false);
  if (!name || *name == "." || *name == "..") {
    target.error = invalidNameError;
    return target;
  }
  target.name = *name;
  target.host = FindVisibleChild(*dir, *name);
  return target;
}

uint16_t SimDisk::ChangeDir(std::string_view dosPath) {
  ParsedPath parsed = Parse(dosPath);
  if (parsed.error) return parsed.error;
  if (!parsed.leaf.empty()) {
    auto name = NormalizeDosName(parsed.leaf, false);
    if (!name) return kDosPathNotFound;
    parsed.dirs.push_back(*name);
  }
  if (!HostDir(parsed.dirs)) return kDosPathNotFound;
  cwd_ = std::move(parsed.dirs);
  return kDosOk;
}

std::optional<fs::path> SimDisk::ExistingFile(std::string_view dosName, uint16_t& error) const {
  const Target t = Locate(dosName, kDosFileNotFound);
  error = t.error ? t.error : !t.host ? kDosFileNotFound : kDosOk;
  std::error_code ec;
  if (!error && fs::is_directory(*t.host, ec)) error = kDosAccessDenied;
  return error ? std::nullopt : t.host;
}

uint16_t SimDisk::ReadBlock(std::string_view dosName, uint32_t offset, size_t maxCount,
                            std::vector<uint8_t>& out) const {
  out.clear();
  uint16_t error = kDosOk;
  const auto host = ExistingFile(dosName, error);
  if (!host) return error;
  out.resize(maxCount);
  const long long got = platform::ReadFileAt(*host, offset, out);
  out.resize(got > 0 ? size_t(got) : 0);
  return got < 0 ? kDosAccessDenied : kDosOk;
}

uint16_t SimDisk::WriteBlock(std::string_view dosName, uint32_t offset, std::span<const uint8_t> data) {
  const Target t = Locate(dosName, kDosAccessDenied);
  if (t.error) return t.error;
  const fs::path host = t.host ? *t.host : t.hostDir / HostNameOf(t.name);
  // A new name must not meet anything hidden from the controller, a link above all (a dangling one
  // too: std::filesystem follows links and, under MinGW, cannot even tell one).
  std::error_code ec;
  if (!t.host && (platform::IsLink(host) || fs::exists(host, ec) || ec)) return kDosAccessDenied;
  if (t.host && (fs::is_directory(host, ec) || IsReadOnly(host))) return kDosAccessDenied;
  const uintmax_t size = t.host ? fs::file_size(host, ec) : 0;
  if (ec || offset > size || offset + data.size() > kMaxFileSize) return kDosAccessDenied;
  return platform::WriteFileAt(host, offset, data, offset == 0) ? kDosOk : kDosAccessDenied;
}

uint16_t SimDisk::Delete(std::string_view dosName) {
  uint16_t error = kDosOk;
  const auto host = ExistingFile(dosName, error);
  if (!host) return error;
  std::error_code ec;
  if (IsReadOnly(*host)) return kDosAccessDenied;
  return fs::remove(*host, ec) && !ec ? kDosOk : kDosAccessDenied;
}

uint16_t SimDisk::Search(std::string_view dosMask, std::vector<DosEntry>& out) const {
  out.clear();
  ParsedPath parsed = Parse(dosMask);
  if (parsed.error) return parsed.error;
  auto dir = HostDir(parsed.dirs);
  if (!dir) return kDosPathNotFound;
  const std::string leaf = parsed.leaf.empty() ? "*.*" : parsed.leaf;
  auto mask = NormalizeDosName(leaf, true);
  if (!mask) return kDosFileNotFound;
  if (!parsed.dirs.empty()) {
    for (const char* dots : {".", ".."})
      if (MatchDosMask(*mask, dots)) out.push_back(EntryOf(*dir, dots));
  }
  std::vector<DosEntry> found;
  std::error_code ec;
  for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec))
    if (auto name = VisibleName(it->path()); name && MatchDosMask(*mask, *name) && IsPlainEntry(*it))
      found.push_back(EntryOf(it->path(), *name));
  std::sort(found.begin(), found.end(), [](const DosEntry& a, const DosEntry& b) { return a.name < b.name; });
  out.insert(out.end(), found.begin(), found.end());
  if (out.empty()) return HasWildcard(leaf) ? kDosNoMoreFiles : kDosFileNotFound;
  return kDosOk;
}

}  // namespace vlm::sim
