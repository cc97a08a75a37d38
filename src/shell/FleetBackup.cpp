#include "shell/FleetBackup.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "link/FileTransfer.h"
#include "shell/IpList.h"

namespace vlm {

namespace {

constexpr const char* kControllerFile = "c:\\vlm.cfg";

// The characters the program's backups leave out of the place.
std::string CleanPlace(const std::string& place) {
  std::string clean;
  for (char c : place)
    if (std::string_view("\"*+/:<>?\\|").find(c) == std::string_view::npos && static_cast<unsigned char>(c) >= 0x20)
      clean += c;
  return clean;
}

// The newest earlier copy of the controller in the folder: the names sort by their time. A copy
// made in the same second has the very name of the new one and counts too.
std::filesystem::path NewestCopy(const std::filesystem::path& folder, const std::string& prefix) {
  std::filesystem::path best;
  std::string bestName;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = FileNameUtf8(entry.path());
    if (!name.starts_with(prefix) || !name.ends_with(".cfg")) continue;
    if (name.size() != prefix.size() + 15 + 4) continue;  // yyyymmdd-hhnnss.cfg
    if (name > bestName) {
      bestName = name;
      best = entry.path();
    }
  }
  return best;
}

}  // namespace

std::string LinkSectionOf(const std::string& address) { return "Link " + address; }

std::vector<TBackupTarget> BackupTargets(const TIpList& list, const TIniFile& listFile, const TLinkSettings& base) {
  std::vector<TBackupTarget> targets;
  for (const TIpRow& row : list.rows) {
    if (row.address.empty() && row.place.empty()) continue;
    TBackupTarget t{row.place, row.address, base, {}};
    try {
      t.settings.DestIP = StrToIP(row.address);
      const std::string section = LinkSectionOf(row.address);
      if (listFile.SectionExists(section)) {
        auto integer = [&](const char* key, int def) { return listFile.ReadInteger(section, key, def); };
        t.settings.LinkMode = static_cast<uint8_t>(integer("LinkMode", t.settings.LinkMode));
        t.settings.ComPortNumber = integer("ComPortNumber", t.settings.ComPortNumber);
        t.settings.ComPortDevice = listFile.ReadString(section, "ComPortDevice", t.settings.ComPortDevice);
        const int port = integer("UdpPort", t.settings.UdpPort);
        if (port < 1 || port > 65535) throw EConvertError("UdpPort " + std::to_string(port));
        t.settings.UdpPort = static_cast<uint16_t>(port);
        if (listFile.ValueExists(section, "SelfIP")) t.settings.SelfIP = StrToIP(listFile.ReadString(section, "SelfIP", ""));
        t.settings.Attempts = std::clamp(integer("Attempts", t.settings.Attempts), 1, 100);
        t.settings.WaitTime = std::clamp(integer("WaitTime", t.settings.WaitTime), 10, 60000);
      }
    } catch (const EConvertError& e) {
      t.settingsError = e.what();
    }
    targets.push_back(std::move(t));
  }
  return targets;
}

std::string FleetBackupName(const std::string& place, const std::string& address, TDateTime when) {
  return SanitizeFileName(CleanPlace(place) + "_" + address + "_" + FormatDateTime("yyyymmdd-hhnnss", when) + ".cfg");
}

std::string BackupFileName(const std::string& place, TDateTime when) {
  return FormatDateTime("yyyy_mm_dd hh_nn_ss ", when) + CleanPlace(place) + ".cfg";
}

TBackupResult BackupController(const TBackupTarget& target, const TBackupOptions& options, TDateTime when) {
  const auto started = std::chrono::steady_clock::now();
  TBackupResult r;
  r.place = target.place;
  r.address = target.address;
  auto done = [&](TBackupOutcome outcome) {
    r.outcome = outcome;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return r;
  };
  if (!target.settingsError.empty()) {
    r.error = "адрес или настройки связи не годятся: " + target.settingsError;
    return done(TBackupOutcome::Failed);
  }
  const std::string name = FleetBackupName(target.place, target.address, when);
  if (name.empty()) {
    r.error = "из места и адреса не получается имя файла";
    return done(TBackupOutcome::Failed);
  }
  std::vector<uint8_t> bytes;
  {
    TControllerLink link;
    link.Settings = target.settings;
    if (options.pump) link.SetPump(options.pump);
    TLinkSession session(link);
    if (!session.Opened()) {
      r.error = "не удалось открыть связь";
      return done(TBackupOutcome::Failed);
    }
    TReadOptions quiet;
    quiet.showReadError = false;  // the report names the failure; this may run on a worker thread
    if (!ReadControllerFile(link, kControllerFile, bytes, quiet)) {
      r.failure = link.LastFailure;
      r.dosError = link.LastDosError;
      return done(TBackupOutcome::Failed);
    }
  }
  if (options.stop && options.stop->load()) return done(TBackupOutcome::Stopped);
  r.size = bytes.size();
  const std::filesystem::path path = options.folder / PathFromUtf8(name);
  const std::string prefix = name.substr(0, name.size() - 19);  // up to the time and ".cfg"
  r.previous = NewestCopy(options.folder, prefix);
  if (!r.previous.empty()) {
    std::string before;
    if (ReadWholeFile(r.previous, before) && before.size() == bytes.size() &&
        std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const uint8_t*>(before.data()))) {
      r.file = r.previous;
      return done(TBackupOutcome::Identical);
    }
  }
  if (!WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()})) {
    r.error = "не удалось записать " + PathToUtf8(path);
    return done(TBackupOutcome::Failed);
  }
  r.file = path;
  return done(TBackupOutcome::Saved);
}

std::vector<TBackupResult> BackupAll(const std::vector<TBackupTarget>& targets, const TBackupOptions& options) {
  const TDateTime when = options.when != 0 ? options.when : Now();
  std::vector<TBackupResult> results(targets.size());
  std::mutex mutex;
  size_t next = 0, finished = 0;
  auto worker = [&] {
    for (;;) {
      size_t i;
      {
        std::lock_guard lock(mutex);
        if (next >= targets.size()) return;
        i = next++;
      }
      TBackupResult r;
      if (options.stop && options.stop->load()) {
        r.place = targets[i].place;
        r.address = targets[i].address;
        r.outcome = TBackupOutcome::Stopped;
      } else {
        r = BackupController(targets[i], options, when);
      }
      std::lock_guard lock(mutex);
      results[i] = std::move(r);
      ++finished;
      if (options.progress) options.progress(results[i], finished, targets.size());
    }
  };
  const int jobs = std::clamp(options.jobs, 1, 16);
  if (jobs == 1 || targets.size() <= 1) {
    worker();
    return results;
  }
  std::vector<std::thread> threads;
  for (int j = 0; j < jobs && j < static_cast<int>(targets.size()); ++j) threads.emplace_back(worker);
  for (auto& t : threads) t.join();
  return results;
}

size_t FailedCount(const std::vector<TBackupResult>& results) {
  return static_cast<size_t>(std::count_if(results.begin(), results.end(), [](const TBackupResult& r) {
    return r.outcome == TBackupOutcome::Failed || r.outcome == TBackupOutcome::Stopped;
  }));
}

}  // namespace vlm
