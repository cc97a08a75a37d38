#include "diag/DiagSettings.h"

#include "common/IniFile.h"

namespace vlm {
namespace {

constexpr const char* kSection = "Diag";

// Every whole-number key with what it may be; anything else gives the default (and is reported).
struct TIntKey {
  const char* Name;
  int TDiagSettings::*Field;
  TIntRange Range;
};
constexpr TIntKey kIntKeys[] = {
    {"FormTop", &TDiagSettings::FormTop, kWindowPlaceRange},
    {"FormLeft", &TDiagSettings::FormLeft, kWindowPlaceRange},
    {"FormWidth", &TDiagSettings::FormWidth, kWindowSizeRange},
    {"FormHeight", &TDiagSettings::FormHeight, kWindowSizeRange},
    {"TreeWidth", &TDiagSettings::TreeWidth, kWindowSizeRange},
    {"Name1Width", &TDiagSettings::Name1Width, kWindowSizeRange},
    {"Name2Width", &TDiagSettings::Name2Width, kWindowSizeRange},
    {"ListHeight", &TDiagSettings::ListHeight, kWindowSizeRange},
    {"MemoWidth", &TDiagSettings::MemoWidth, kWindowSizeRange},
};

}  // namespace

TDiagSettings LoadDiagSettings(const TIniFile& ini) {
  TDiagSettings s;
  for (const auto& key : kIntKeys) s.*key.Field = ini.ReadInteger(kSection, key.Name, s.*key.Field, key.Range);
  s.HighLight = ini.ReadBool(kSection, "HighLight", s.HighLight);
  s.RecentDirectory = ini.ReadString(kSection, "RecentDirectory", "");
  return s;
}

void SaveDiagSettings(TIniFile& ini, const TDiagSettings& s) {
  for (const auto& key : kIntKeys) ini.WriteInteger(kSection, key.Name, s.*key.Field);
  ini.WriteBool(kSection, "HighLight", s.HighLight);
  ini.WriteString(kSection, "RecentDirectory", s.RecentDirectory);
}

}  // namespace vlm
