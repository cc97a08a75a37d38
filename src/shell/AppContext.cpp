#include "shell/AppContext.h"

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"

namespace vlm {

namespace {
constexpr std::string_view kSection = "Velmor";
}

TAppContext::TAppContext() {
  Link.AddObserver(&Log);
  Link.RecentCountsFile = DataFolder() / kRecentCountsFileName;
}

TAppContext::~TAppContext() {
  Link.CloseLink(false);  // the program ends: no late answer can meet a next request
  Link.RemoveObserver(&Log);
}

std::filesystem::path TAppContext::IniPath() const { return SettingsIniPath(); }
std::filesystem::path TAppContext::IpListPath() const { return IpListIniPath(); }

void TAppContext::LoadSettings() {
  const TIniFile ini(PathToUtf8(IniPath()));
  Link.Settings = LoadLinkSettings(ini);
  TMainSettings d;
  Main.FormTop = ini.ReadInteger(kSection, "FormTop", d.FormTop, kWindowPlaceRange);
  Main.FormLeft = ini.ReadInteger(kSection, "FormLeft", d.FormLeft, kWindowPlaceRange);
  Main.FormWidth = ini.ReadInteger(kSection, "FormWidth", d.FormWidth, kWindowSizeRange);
  Main.FormHeight = ini.ReadInteger(kSection, "FormHeight", d.FormHeight, kWindowSizeRange);
  // The window itself keeps the tree between 58 and 350 pixels; this only refuses nonsense.
  Main.TreeWidth = ini.ReadInteger(kSection, "TreeWidth", d.TreeWidth, kWindowSizeRange);
  Main.TreeWidthKnown = ini.ValueExists(kSection, "TreeWidth");
  Main.BackupEnable = ini.ReadBool(kSection, "BackupEnable", d.BackupEnable);
  Main.RecentDirectory = ini.ReadString(kSection, "RecentDirectory", d.RecentDirectory);
  Main.CloseReset = ini.ReadBool(kSection, "CloseReset", d.CloseReset);
}

bool TAppContext::SaveSettings() const {
  TIniFile ini(PathToUtf8(IniPath()));
  ini.WriteInteger(kSection, "FormTop", Main.FormTop);
  ini.WriteInteger(kSection, "FormLeft", Main.FormLeft);
  ini.WriteInteger(kSection, "FormWidth", Main.FormWidth);
  ini.WriteInteger(kSection, "FormHeight", Main.FormHeight);
  ini.WriteInteger(kSection, "TreeWidth", Main.TreeWidth);
  SaveLinkSettings(ini, Link.Settings);
  ini.WriteBool(kSection, "BackupEnable", Main.BackupEnable);
  ini.WriteString(kSection, "RecentDirectory", Main.RecentDirectory);
  ini.WriteBool(kSection, "CloseReset", Main.CloseReset);
  return ini.UpdateFile();
}

}  // namespace vlm
