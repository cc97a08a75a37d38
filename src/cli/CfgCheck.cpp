#include "cli/CfgCheck.h"

#include <cstdio>

#include "cfgdiff/ImageTree.h"
#include "cli/CfgSupport.h"
#include "cli/Commands.h"
#include "common/Prompt.h"
#include "common/Trim.h"
#include "model/Config.h"
#include "model/VLM_Obj.h"
#include "ports/KindRegistration.h"
#include "ports/OwnerTableChecks.h"

namespace vlm::cli {

namespace {

// Collects the reports of writing; a question (none is expected while writing) gets the
// console's "Да".
class TReportCollector : public IPrompt {
 public:
  void ShowError(const std::string& text) override { reports.push_back(text); }
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::Yes; }
  std::vector<std::string> reports;
};

}  // namespace

std::string ReportLine(const std::string& report) {
  std::string line;
  size_t start = 0;
  while (start <= report.size()) {
    const size_t end = report.find('\r', start);
    const std::string part(TrimRight(std::string_view(report).substr(start, end - start), " "));
    if (!part.empty()) line += (line.empty() ? "" : line.back() == ':' ? " " : ": ") + part;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return line;
}

int RunCfgCheck(const std::vector<std::string>& files) {
  RegisterPortKinds();
  if (files.size() != 1) {
    std::fputs("usage: velmorctl cfg check FILE.cfg\n", stderr);
    return kExitBadInput;
  }
  TTree tree;
  TConfig cfg;
  if (int status = ReadConfigFile(files[0], tree, cfg)) return status;
  // Reading may have asked questions (address conflicts); what it could not take is a report,
  // and so is every report of writing.
  TReportCollector collector;
  collector.reports = cfg.ReadNotes;
  // Tables whose row count and rows disagree: the reader took the fewer rows.
  for (TRowCountFault& fault : RowCountFaults(TLoadedImage(cfg.Image()))) collector.reports.push_back(std::move(fault.text));
  std::vector<std::string> warnings;
  for (TTableReport& report : CheckOwnerTables(tree))
    (report.warning ? warnings : collector.reports).push_back(std::move(report.text));
  {
    PromptGuard guard(collector);
    try {
      static_cast<TStation*>(tree.Root()->Object())->WriteConfig(cfg);
    } catch (const EAbort&) {
      // The refusal of an oversized image is itself a report, already recorded.
    }
  }
  for (const std::string& report : collector.reports) std::printf("%s\n", ReportLine(report).c_str());
  // Warnings the frames show but store anyway: printed, not counted.
  for (const std::string& warning : warnings) std::printf("предупреждение: %s\n", ReportLine(warning).c_str());
  return collector.reports.empty() ? kExitOk : kExitFailed;
}

}  // namespace vlm::cli
