#pragma once
// The program-wide single instances: the image buffer and its cursor, the link with its state
// and buffers, the exchange log and the settings. One context per program; tests make their own.
#include <filesystem>
#include <string>

#include "common/IniFile.h"
#include "link/ExchangeLog.h"
#include "link/Velmor_PC.h"
#include "model/Config.h"

namespace vlm {

// The main window's own keys of section "Velmor" (the link's keys belong to the link).
struct TMainSettings {
  int FormTop = 60, FormLeft = 60, FormWidth = 900, FormHeight = 600;
  int TreeWidth = 70;
  bool TreeWidthKnown = false;  // "TreeWidth" was in the file (false on a first start)
  bool BackupEnable = true;
  std::string RecentDirectory;
  bool CloseReset = true;
};

class TAppContext {
 public:
  // Settings and IPList live in the data folder (VELMOR_HOME in tests).
  TAppContext();
  ~TAppContext();
  TAppContext(const TAppContext&) = delete;
  TAppContext& operator=(const TAppContext&) = delete;

  TConfig Image;
  TControllerLink Link;
  TExchangeLog Log;
  TMainSettings Main;

  std::filesystem::path IniPath() const;
  std::filesystem::path IpListPath() const;
  // Every key of section "Velmor": missing keys give the defaults; a value out of its range
  // gives the default too, with a line in the exchange log (the next save writes the default).
  void LoadSettings();
  // False when the ini cannot be written (the old file stays).
  bool SaveSettings() const;

 private:
  // Settings replaced by their defaults, here and in the windows' own sections, are told in
  // the exchange log.
  TIniReportGuard iniReport_{[this](const std::string& line) { Log.AddLine(line); }};
};

}  // namespace vlm
