#pragma once
// The controller's start-up batch file: read into the editor and written back, with the code
// page conversions between the controller (DOS 866, CR LF) and the editor (UTF-8 here, shown as
// Windows-1251 text by the window).
#include <cstdint>
#include <string>
#include <string_view>

#include "link/Velmor_PC.h"
#include "services/ServiceObserver.h"

namespace vlm {

inline constexpr const char* kAutoexecName = "autoexec.bat";

// DOS bytes -> editor text: 866 to UTF-8, CR LF (or a lone CR) to "\n".
std::string AutoexecToEditor(std::string_view dosBytes);
// Editor text -> DOS bytes: UTF-8 to 866, line ends to CR LF.
std::string EditorToAutoexec(std::string_view text);

struct TAutoexecFile {
  std::string Bytes;  // as the controller keeps it
  uint32_t Size = 0;
  std::string Time;   // "dd.mm.yyyy hh:nn:ss"
};

class TAutoexec {
 public:
  TAutoexec(TControllerLink& link, IServiceObserver& observer) : link_(link), observer_(observer) {}
  // Reads c:\autoexec.bat through "Bak\autoexec.bak". Opens and closes the link.
  bool Read(TAutoexecFile& file);
  // Writes the bytes through "Bak\autoexec.bat" into the root of the controller's disk.
  bool Write(const std::string& dosBytes);
  // Write, then the question whether to restart; true when the answer is "Да".
  bool WriteAndAskReset(const std::string& dosBytes);

 private:
  TControllerLink& link_;
  IServiceObserver& observer_;
};

}  // namespace vlm
