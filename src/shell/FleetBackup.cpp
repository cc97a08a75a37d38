#include "shell/FleetBackup.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "link/FileTransfer.h"
#include "shell/IpList.h"
#include "shell/SharedUdpPort.h"

namespace vlm {

namespace {

constexpr const char* kControllerFile = "c:\\vlm.cfg";
constexpr size_t kTimeAndExtension = 19;  // "yyyymmdd-hhnnss.cfg"

// The characters the program's backups leave out of the place.
std::string CleanPlace(const std::string& place) {
  std::string clean;
  for (char c : place)
    if (std::string_view("\"*+/:<>?\\|").find(c) == std::string_view::npos && static_cast<unsigned char>(c) >= 0x20)
      clean += c;
  return clean;
}

// At most `bytes` bytes of a UTF-8 text, never half a character.
std::string CutUtf8(std::string text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

std::string Hash8(const std::string& text) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  static const char* digits = "0123456789abcdef";
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i, h >>= 4) hex[size_t(i)] = digits[h & 15];
  return hex;
}

// The address as the names write it: the list's text when it is an address (blanks and leading
// zeros dropped), else as cleaned text.
std::string AddressForName(const std::string& address) {
  try {
    return IPToStr(StrToIP(address));
  } catch (const EConvertError&) {
    return CutUtf8(CleanPlace(address), 64);
  }
}

// "yyyymmdd-hhnnss.cfg" at the end of a name.
bool EndsWithTime(const std::string& name) {
  if (name.size() < kTimeAndExtension || !name.ends_with(".cfg")) return false;
  const std::string_view time = std::string_view(name).substr(name.size() - kTimeAndExtension, 15);
  for (size_t i = 0; i < time.size(); ++i)
    if (i == 8 ? time[i] != '-' : (time[i] < '0' || time[i] > '9')) return false;
  return true;
}

bool IsUdp(const TBackupTarget& t) { return t.settingsError.empty() && t.settings.LinkMode == kLinkUdp; }
bool IsSerial(const TBackupTarget& t) { return t.settingsError.empty() && t.settings.LinkMode == kLinkSerial; }
bool SameSocket(const TLinkSettings& a, const TLinkSettings& b) { return a.SelfIP == b.SelfIP && a.UdpPort == b.UdpPort; }

// Whether two controllers cannot be read at the same time: one serial device opens once; on a
// shared socket answers are told apart by address, which a broadcast or an address listed
// twice cannot do.
bool MustWait(const TBackupTarget& a, const TBackupTarget& b) {
  if (IsSerial(a) && IsSerial(b)) return SerialDeviceName(a.settings) == SerialDeviceName(b.settings);
  if (!IsUdp(a) || !IsUdp(b) || !SameSocket(a.settings, b.settings)) return false;
  return a.settings.DestIP == b.settings.DestIP || TSharedUdpPort::IsBroadcast(a.settings.DestIP) ||
         TSharedUdpPort::IsBroadcast(b.settings.DestIP);
}

// One line per group of controllers that wait for each other although jobs would allow more.
std::vector<std::string> WaitNotes(const std::vector<TBackupTarget>& targets) {
  std::vector<std::string> notes;
  std::vector<bool> told(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    if (told[i]) continue;
    std::string addresses = targets[i].address;
    for (size_t j = i + 1; j < targets.size(); ++j)
      if (!told[j] && MustWait(targets[i], targets[j])) {
        told[j] = true;
        addresses += ", " + targets[j].address;
      }
    if (addresses == targets[i].address) continue;
    const TLinkSettings& s = targets[i].settings;
    const std::string why = IsSerial(targets[i]) ? "один последовательный порт " + SerialDeviceName(s)
                            : TSharedUdpPort::IsBroadcast(s.DestIP)
                                ? "широковещательный адрес не отличить от других на сокете UDP " + IPToStr(s.SelfIP) +
                                      ":" + std::to_string(s.UdpPort)
                                : "один адрес в списке несколько раз";
    notes.push_back("по одному читаются контроллеры " + addresses + " (" + why + ")");
  }
  return notes;
}

// How one job reaches its controller: its transport factory and, for UDP, the shared socket
// whose failure to bind is the reason a link did not open.
struct TJobLink {
  TTransportFactory factory;
  std::shared_ptr<TSharedUdpPort> port;
};

TBackupResult BackupOne(const TBackupTarget& target, const TBackupOptions& options, TDateTime when,
                        const TBackupFolder& folder, const TJobLink& job) {
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
  const std::string stem = target.stem.empty() ? FleetBackupStem(target.place, target.address) : target.stem;
  const std::string name = SanitizeFileName(stem + FormatDateTime("yyyymmdd-hhnnss", when) + ".cfg");
  if (name.size() <= kTimeAndExtension) {
    r.error = "из места и адреса не получается имя файла";
    return done(TBackupOutcome::Failed);
  }
  std::vector<uint8_t> bytes;
  {
    TControllerLink link;
    link.Settings = target.settings;
    if (options.pump) link.SetPump(options.pump);
    if (job.factory) link.SetTransportFactory(job.factory);
    TLinkSession session(link);
    if (!session.Opened()) {
      r.error = LinkOpenFailureText(link.LastOpenFailure(), target.settings);
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
  const std::filesystem::path path = folder.Path() / PathFromUtf8(name);
  r.previous = folder.Newest(name.substr(0, name.size() - kTimeAndExtension));
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

}  // namespace

std::string LinkSectionOf(const std::string& address) { return "Link " + address; }

std::vector<TBackupTarget> BackupTargets(const TIpList& list, const TIniFile& listFile, const TLinkSettings& base) {
  std::vector<TBackupTarget> targets;
  for (const TIpRow& row : list.rows) {
    if (row.address.empty() && row.place.empty()) continue;
    TBackupTarget t{row.place, row.address, base, {}, {}};
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
    t.stem = FleetBackupStem(t.place, t.address);
    targets.push_back(std::move(t));
  }
  // Two rows whose places clean or cut to the same text would share their copies' names (and
  // each would take the other's copy for its own): those are told apart by the hash.
  std::unordered_map<std::string, int> uses;
  for (const auto& t : targets) ++uses[t.stem];
  for (auto& t : targets)
    if (uses[t.stem] > 1) t.stem = FleetBackupStem(t.place, t.address, true);
  return targets;
}

std::string FleetBackupStem(const std::string& place, const std::string& address, bool tagged) {
  std::string clean = CleanPlace(place);
  const std::string tail = "_" + AddressForName(address) + "_";
  const size_t room = kBackupNameLimit - 4 - kTimeAndExtension - tail.size();  // 4: ".tmp"
  constexpr size_t kTag = 9;  // "~" and eight hex digits
  if (tagged || clean.size() > room) clean = CutUtf8(clean, room - kTag) + "~" + Hash8(place + "\n" + address);
  return clean + tail;
}

std::string FleetBackupName(const std::string& place, const std::string& address, TDateTime when) {
  return SanitizeFileName(FleetBackupStem(place, address) + FormatDateTime("yyyymmdd-hhnnss", when) + ".cfg");
}

std::string BackupFileName(const std::string& place, TDateTime when) {
  const std::string time = FormatDateTime("yyyy_mm_dd hh_nn_ss ", when);
  return time + CutUtf8(CleanPlace(place), kBackupNameLimit - 4 - time.size() - 4) + ".cfg";
}

std::filesystem::path KeepPreWriteCopy(std::span<const uint8_t> bytes, const std::string& address, TDateTime when) {
  if (bytes.empty()) return {};
  std::filesystem::path folder;
  try {
    folder = DataSubfolder("Cfg");
  } catch (const std::exception&) {
    return {};
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::filesystem::path path =
      folder / PathFromUtf8(FormatDateTime("yyyy_mm_dd hh_nn_ss ", when) + address + " до записи.cfg");
  if (!WriteFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()})) return {};
  return path;
}

std::string IncompleteConfigText(const std::filesystem::path& kept) {
  std::string text = "Конфигурация в контроллере теперь неполная: с ней контроллер не запустится.";
  if (!kept.empty())
    text += "\r\rПрежняя конфигурация контроллера сохранена в файле " + PathToUtf8(kept) + "; её можно записать обратно.";
  return text;
}

TBackupFolder::TBackupFolder(std::filesystem::path folder) : path_(std::move(folder)) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) {
    std::string name = FileNameUtf8(entry.path());
    if (!EndsWithTime(name)) continue;
    std::string& newest = newest_[name.substr(0, name.size() - kTimeAndExtension)];
    if (name > newest) newest = std::move(name);  // the names of one stem sort by their time
  }
}

std::filesystem::path TBackupFolder::Newest(const std::string& stem) const {
  const auto it = newest_.find(stem);
  return it == newest_.end() ? std::filesystem::path() : path_ / PathFromUtf8(it->second);
}

TBackupResult BackupController(const TBackupTarget& target, const TBackupOptions& options, TDateTime when,
                               const TBackupFolder& folder) {
  return BackupOne(target, options, when, folder, {options.transport, nullptr});
}

std::vector<TBackupResult> BackupAll(const std::vector<TBackupTarget>& targets, const TBackupOptions& options) {
  const TDateTime when = options.when != 0 ? options.when : Now();
  const TBackupFolder folder(options.folder);
  const int jobs = std::clamp(options.jobs, 1, 16);
  if (jobs > 1 && options.note)
    for (const std::string& note : WaitNotes(targets)) options.note(note);

  // Every UDP controller on one PC address and port goes through one socket.
  std::vector<TJobLink> links(targets.size());
  std::map<std::pair<TIPAddress, uint16_t>, std::shared_ptr<TSharedUdpPort>> sockets;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (options.transport || !IsUdp(targets[i])) {
      links[i].factory = options.transport;
      continue;
    }
    const TLinkSettings& s = targets[i].settings;
    auto& port = sockets[{s.SelfIP, s.UdpPort}];
    if (!port) port = std::make_shared<TSharedUdpPort>(s.SelfIP, s.UdpPort);
    links[i] = {[port](const TLinkSettings& settings) { return MakeSharedUdpTransport(port, settings); }, port};
  }

  std::vector<TBackupResult> results(targets.size());
  std::mutex mutex;
  std::condition_variable finishedOne;
  std::vector<bool> started(targets.size());
  std::vector<size_t> running;
  size_t firstWaiting = 0, finished = 0;
  // The first target not started that need not wait for a running one; npos when none is left.
  auto pick = [&](std::unique_lock<std::mutex>& lock) {
    for (;;) {
      while (firstWaiting < targets.size() && started[firstWaiting]) ++firstWaiting;
      if (firstWaiting == targets.size()) return std::string::npos;
      for (size_t i = firstWaiting; i < targets.size(); ++i) {
        if (started[i]) continue;
        if (std::none_of(running.begin(), running.end(), [&](size_t r) { return MustWait(targets[i], targets[r]); }))
          return i;
      }
      finishedOne.wait(lock);
    }
  };
  auto worker = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      const size_t i = pick(lock);
      if (i == std::string::npos) return;
      started[i] = true;
      running.push_back(i);
      lock.unlock();
      TBackupResult r;
      if (options.stop && options.stop->load()) {
        r.place = targets[i].place;
        r.address = targets[i].address;
        r.outcome = TBackupOutcome::Stopped;
      } else {
        r = BackupOne(targets[i], options, when, folder, links[i]);
      }
      lock.lock();
      running.erase(std::find(running.begin(), running.end(), i));
      results[i] = std::move(r);
      ++finished;
      if (options.progress) options.progress(results[i], finished, targets.size());
      finishedOne.notify_all();
    }
  };
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
