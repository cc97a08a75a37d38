#include "blackbox/BoxPcapExport.h"

#include <ctime>

#include "blackbox/BoxReplay.h"
#include "blackbox/Pcap.h"
#include "common/DateTime.h"
#include "common/Format.h"

namespace vlm {
namespace {

// The length counts the padding: the reader steps over exactly that many octets.
void PutTag(std::string& out, uint16_t tag, std::string_view value) {
  const size_t padded = (value.size() + 3) & ~size_t(3);
  const char head[4] = {char(tag >> 8), char(tag), char(padded >> 8), char(padded)};
  out.append(head, 4);
  out.append(value);
  out.append(padded - value.size(), '\0');
}

std::string Be32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// The reader number after "№" (UTF-8) or its CP1251 byte B9h; 0 when the line has none.
int ReaderNumber(std::string_view line) {
  size_t at = line.find("|№");
  size_t skip = 4;
  if (at == std::string_view::npos) {
    at = line.find("|\xB9");
    skip = 2;
  }
  if (at == std::string_view::npos) return 0;
  int n = 0;
  for (size_t i = at + skip; i < line.size() && line[i] >= '0' && line[i] <= '9' && n < 1000; ++i) n = n * 10 + (line[i] - '0');
  return n;
}

// The line's PC time is the local time of the recording PC; pcap stamps count from 1970 UTC.
int64_t UnixMilliseconds(TDateTime local) {
  const DateTimeParts p = DecodeDateTime(local);
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&t);
  if (seconds < 0) return 0;
  return int64_t(seconds) * 1000 + p.millisecond;
}

}  // namespace

std::string ExportPduPacket(const TParsedLine& parsed, int readerNumber) {
  const TBoxRecord& r = parsed.record;
  std::string packet;
  switch (r.Code()) {
    case 35:
      PutTag(packet, kPduTagProtoName, "mbrtu");
      break;
    case 14:
      PutTag(packet, kPduTagTableName, "tcp.port");
      PutTag(packet, kPduTagTableValue, Be32(kIec104Port));
      break;
    case 8:
      PutTag(packet, kPduTagTableName, "tcp.port");
      PutTag(packet, kPduTagTableValue, Be32(kIec101ExportPort));
      break;
    default:
      PutTag(packet, kPduTagProtoName, "data");
      PutTag(packet, kPduTagColProtocol, Format("Velmor p%3.3d", {r.protocol}));
      break;
  }
  // Received by the controller = incoming, sent = outgoing.
  PutTag(packet, kPduTagP2pDirection, Be32(r.direction == kBoxDirOut ? 1 : 0));
  PutTag(packet, kPduTagColInfo,
         Format("№%d p%3.3d e%d %s", {readerNumber, r.protocol, r.error,
                                      r.direction == kBoxDirIn ? "-->" : r.direction == kBoxDirOut ? "<ПУ" : "?"}));
  PutTag(packet, kPduTagEnd, "");
  packet.append(reinterpret_cast<const char*>(r.data.data()), parsed.length);
  return packet;
}

TPcapExportResult ExportRecordingToPcap(std::FILE* in, std::FILE* out) {
  TPcapExportResult result;
  const auto header = PcapGlobalHeader(kLinkTypeUpperPdu, 0x40000);
  if (std::fwrite(header.data(), 1, header.size(), out) != header.size()) result.writeError = true;
  TLineSource source(in);
  TParsedLine parsed;
  std::string record;
  std::string_view line;
  while (!result.writeError && source.Next(line)) {
    const TLineKind kind = ClassifyRecordLine(line, parsed);
    if (kind == TLineKind::Malformed) ++result.skipped;
    if (kind != TLineKind::Record) continue;
    const std::string packet = ExportPduPacket(parsed, ReaderNumber(line));
    const int64_t ms = UnixMilliseconds(parsed.time);
    record.clear();
    AppendPcapRecord(record, uint32_t(ms / 1000), uint32_t(ms % 1000) * 1000,
                     std::span(reinterpret_cast<const uint8_t*>(packet.data()), packet.size()));
    if (std::fwrite(record.data(), 1, record.size(), out) != record.size()) result.writeError = true;
    ++result.records;
    if (parsed.record.Code() == 8) ++result.iec101;
  }
  result.readError = source.Failed();
  return result;
}

std::string Iec101TsharkOptions(uint8_t param) {
  auto octets = [](int n) { return std::to_string(n) + (n == 1 ? " octet" : " octets"); };
  return Format("-d tcp.port==%u,iec60870_101", {kIec101ExportPort}) +
         " -o \"iec60870_101.linkaddr_len:" + octets(param & 3) + "\"" +
         " -o \"iec60870_101.cot_len:" + octets((param >> 2) & 3) + "\"" +
         " -o \"iec60870_101.asdu_addr_len:" + octets((param >> 4) & 3) + "\"" +
         " -o \"iec60870_101.asdu_ioa_len:" + octets((param >> 6) & 3) + "\"";
}

}  // namespace vlm
