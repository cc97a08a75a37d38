#include "blackbox/BoxTavikExport.h"

#include "common/Format.h"

namespace vlm {
namespace {

void TreeLines(const TTavikNode& node, int depth, std::string& out) {
  out.append(size_t(depth) * 2, ' ').append(node.text).append("\n");
  for (const auto& child : node.children) TreeLines(*child, depth + 1, out);
}

// A field quoted when it holds the separator, a quote or a line break.
std::string CsvField(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

void CsvRows(const TTavikNode& node, int depth, std::string& out) {
  const TTavik& object = *node.object;
  out += Format("%d;%d;", {depth, object.key});
  out += CsvField(object.name) + ";" + CsvField(node.text) + ";";
  out += Format("%d;%s;%s\r\n", {object.appearances, FormatDateTime(kTavikTimePattern, object.firstSeen),
                                  FormatDateTime(kTavikTimePattern, object.lastSeen)});
  for (const auto& child : node.children) CsvRows(*child, depth + 1, out);
}

}  // namespace

std::string TavikTreeText(TTavikAnalyzer& analyzer) {
  analyzer.UpdateAllTexts();
  std::string out;
  TreeLines(analyzer.Root(), 0, out);
  out += "Ошибки:\n";
  for (const std::string& error : analyzer.Controller().errors) out.append(error).append("\n");
  return out;
}

std::string TavikTreeCsv(TTavikAnalyzer& analyzer) {
  analyzer.UpdateAllTexts();
  std::string out = "Уровень;Ключ;Имя;Текст;Появлений;Первое;Последнее\r\n";
  CsvRows(analyzer.Root(), 0, out);
  return out;
}

std::string TavikLogCsv(const TTavikLog& log) {
  std::string out = "№;" + CsvField(log.caption) + "\r\n";
  size_t i = 0;
  for (const std::string& line : log.lines) out += Format("%d;", {++i}) + CsvField(line) + "\r\n";
  return out;
}

}  // namespace vlm
