#include "diag/DiagSettings.h"

#include "common/IniFile.h"

namespace vlm {
namespace {

constexpr const char* kSection = "Diag";

struct TIntKey {
  const char* Name;
  int TDiagSettings::*Field;
};
constexpr TIntKey kIntKeys[] = {
    {"FormTop", &TDiagSettings::FormTop},       {"FormLeft", &TDiagSettings::FormLeft},
    {"FormWidth", &TDiagSettings::FormWidth},   {"FormHeight", &TDiagSettings::FormHeight},
    {"TreeWidth", &TDiagSettings::TreeWidth},   {"Name1Width", &TDiagSettings::Name1Width},
    {"Name2Width", &TDiagSettings::Name2Width}, {"ListHeight", &TDiagSettings::ListHeight},
    {"MemoWidth", &TDiagSettings::MemoWidth},
};

}  // namespace

TDiagSettings LoadDiagSettings(const TIniFile& ini) {
  TDiagSettings s;
  for (const auto& key : kIntKeys) s.*key.Field = ini.ReadInteger(kSection, key.Name, s.*key.Field);
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
