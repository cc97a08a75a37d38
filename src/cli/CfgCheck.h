#pragma once
// velmorctl cfg check FILE.cfg: reads the configuration and builds its image once more without
// saving it, printing every report (one per line, the box's line breaks joined by ": "): rows
// reading could not take, the checks the table frames run when storing, and what writing shows.
// Warnings the frames store anyway (Modbus overlaps) follow as "предупреждение: ..." lines.
// Exit status 0 without reports (warnings do not count), 1 with any, 2 when the file cannot be read.
//
// CfgCommands.cpp dispatches "check" here with the files of the parsed arguments.
#include <string>
#include <vector>

namespace vlm::cli {

int RunCfgCheck(const std::vector<std::string>& files);

// One report as one output line: "№0 Порт ЭВМ \rНе настроен адрес порта" becomes
// "№0 Порт ЭВМ: Не настроен адрес порта".
std::string ReportLine(const std::string& report);

}  // namespace vlm::cli
