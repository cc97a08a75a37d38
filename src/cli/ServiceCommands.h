#pragma once
// velmorctl's commands over the controller services: autoexec.bat both ways and the compare of
// the file exchange window.
#include <string>
#include <vector>

#include "link/Velmor_PC.h"

namespace vlm::cli {

// autoexec get [-o FILE] [--raw]: to FILE as Windows-1251 text with CR LF, to stdout as UTF-8;
// --raw keeps the controller's bytes (code page 866).
int RunAutoexecGet(TControllerLink& link, const std::vector<std::string>& args);
// autoexec put FILE [--raw]: FILE is Windows-1251 or UTF-8 text, written in code page 866 with
// CR LF; --raw sends its bytes unchanged. Does not restart the controller.
int RunAutoexecPut(TControllerLink& link, const std::vector<std::string>& args);
// "autoexec get ..." or "autoexec put ...".
int RunAutoexec(TControllerLink& link, const std::vector<std::string>& args);
// cmp NAME FILE: 0 when equal; 1 with the window's message when they differ.
int RunCmp(TControllerLink& link, const std::vector<std::string>& args);

}  // namespace vlm::cli
