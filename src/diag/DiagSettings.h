#pragma once
// Section "Diag" of the program's ini: the diagnostics window's place, splits and highlighting.
#include <string>

namespace vlm {

class TIniFile;

struct TDiagSettings {
  int FormTop = 0, FormLeft = 0, FormWidth = 1000, FormHeight = 600;
  int TreeWidth = 300, Name1Width = 300, Name2Width = 300, ListHeight = 40, MemoWidth = 100;
  bool HighLight = true;
  std::string RecentDirectory;
};

TDiagSettings LoadDiagSettings(const TIniFile& ini);
void SaveDiagSettings(TIniFile& ini, const TDiagSettings& settings);

}  // namespace vlm
