#pragma once
// Backup copies of the configuration of every controller in the address list: each is read from
// its "c:\vlm.cfg" with its own link settings and saved as <place>_<address>_<yyyymmdd-hhnnss>.cfg.
// One controller that cannot be reached never stops the others. Controllers read at the same time
// that answer to the same PC address and port share one socket (SharedUdpPort.h).
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/DateTime.h"
#include "link/LinkSettings.h"
#include "link/Velmor_PC.h"

namespace vlm {

class TIniFile;
class TIpList;

struct TBackupTarget {
  std::string place;
  std::string address;  // as the list holds it
  TLinkSettings settings;
  std::string settingsError;  // the address or a setting cannot be used: nothing is tried
  // The start of the copies' names, "<place>_<address>_", short enough for any file system and
  // unique among the targets (BackupTargets sets it; empty: made from place and address).
  std::string stem;
};

// The list's rows with the base settings, DestIP taken from the row and the keys of an optional
// section "Link <address>" of the list file (LinkMode, ComPortNumber, ComPortDevice, UdpPort,
// SelfIP, Attempts, WaitTime) on top: a controller behind a slow modem keeps its own time-out.
std::vector<TBackupTarget> BackupTargets(const TIpList& list, const TIniFile& listFile, const TLinkSettings& base);
std::string LinkSectionOf(const std::string& address);

// Names of copies stay within this many bytes (".tmp" of the atomic write included, well under the
// 255 of the file systems): a long place is cut, and marked with a hash of the whole place.
inline constexpr size_t kBackupNameLimit = 200;

// "<place>_<address>_", the place cleaned as the program's own backups are; a place too long for
// kBackupNameLimit, or `tagged`, gets "~" and eight hex digits of a hash of place and address.
std::string FleetBackupStem(const std::string& place, const std::string& address, bool tagged = false);
// "<place>_<address>_<yyyymmdd-hhnnss>.cfg".
std::string FleetBackupName(const std::string& place, const std::string& address, TDateTime when);
// The name of the main window's backup before a write: "yyyy_mm_dd hh_nn_ss <place>.cfg" (a too
// long place cut to the limit).
std::string BackupFileName(const std::string& place, TDateTime when);

// Keeps what a controller held before its configuration was written over, in the data folder's
// "Cfg" as "yyyy_mm_dd hh_nn_ss <address> до записи.cfg", so that a write that fails half-way
// leaves something to restore. The path written; empty when nothing was kept (no bytes, no folder).
std::filesystem::path KeepPreWriteCopy(std::span<const uint8_t> bytes, const std::string& address, TDateTime when);
// Said after a configuration write that failed once it had started: the controller now holds
// part of the new file, and where the old one is kept (`kept` empty: it could not be kept).
std::string IncompleteConfigText(const std::filesystem::path& kept);

// The copies already in the output folder, listed once: a run over many controllers must not list
// a folder of thousands of copies per controller.
class TBackupFolder {
 public:
  explicit TBackupFolder(std::filesystem::path folder);
  const std::filesystem::path& Path() const { return path_; }
  // The newest copy named stem + "yyyymmdd-hhnnss.cfg"; empty when there is none.
  std::filesystem::path Newest(const std::string& stem) const;

 private:
  std::filesystem::path path_;
  std::unordered_map<std::string, std::string> newest_;  // stem -> name
};

enum class TBackupOutcome : uint8_t { Saved, Identical, Failed, Stopped };

struct TBackupResult {
  std::string place, address;
  TBackupOutcome outcome = TBackupOutcome::Failed;
  std::filesystem::path file;      // the saved copy, or the earlier one it is identical to
  std::filesystem::path previous;  // the newest earlier copy of this controller, if any
  size_t size = 0;
  double seconds = 0;
  TLinkFailure failure = TLinkFailure::None;
  uint16_t dosError = 0;
  std::string error;  // set when the failure is not the link's (file, settings)
};

struct TBackupOptions {
  std::filesystem::path folder;
  int jobs = 1;
  TDateTime when = 0;  // 0: the clock at the start
  // The link needs no window pumping in velmorctl; the program lets its stop button work.
  std::function<void()> pump;
  const std::atomic<bool>* stop = nullptr;
  std::function<void(const TBackupResult&, size_t done, size_t total)> progress;
  // Told once before the run for each group of controllers that must be read one after another
  // although jobs would allow more (one serial device, one address listed twice, a broadcast).
  std::function<void(const std::string&)> note;
  // The link's transport; empty: the real ones (tests and benchmarks reach fake controllers).
  TTransportFactory transport;
};

// Reads one controller and saves its copy (or finds it identical to the newest earlier one).
TBackupResult BackupController(const TBackupTarget& target, const TBackupOptions& options, TDateTime when,
                               const TBackupFolder& folder);
// Every target, `jobs` at a time; results in the order of the targets. Controllers on one PC
// address and UDP port share one socket; those that cannot share (see `note`) wait their turn.
std::vector<TBackupResult> BackupAll(const std::vector<TBackupTarget>& targets, const TBackupOptions& options);

size_t FailedCount(const std::vector<TBackupResult>& results);

}  // namespace vlm
