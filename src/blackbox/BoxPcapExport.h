#pragma once
// Recorded serial traffic as a pcap file of Wireshark's "exported PDU" link type: each record
// becomes one packet whose tags name the dissector (Modbus RTU), or a dissector table and its
// value (IEC 104 and IEC 101 on a TCP port), with the recording's PC time as the packet time
// and the direction as the point-to-point direction. Codes without a dissector stay raw data.
#include <cstdint>
#include <cstdio>
#include <string>

#include "blackbox/BoxLine.h"

namespace vlm {

// The TCP port under which IEC 101 frames are handed to the dissector table; Wireshark needs
// "-d tcp.port==<port>,iec60870_101" to take them as IEC 101.
constexpr uint32_t kIec101ExportPort = 2405;
constexpr uint32_t kIec104Port = 2404;

// Exported-PDU tags (big-endian tag and length, value padded to 4 octets, ended by tag 0).
enum : uint16_t {
  kPduTagEnd = 0,
  kPduTagProtoName = 12,
  kPduTagTableName = 14,
  kPduTagTableValue = 32,
  kPduTagColProtocol = 33,
  kPduTagP2pDirection = 35,
  kPduTagColInfo = 36,
};

// The packet of one record: tags and the frame bytes.
std::string ExportPduPacket(const TParsedLine& parsed, int readerNumber);

struct TPcapExportResult {
  size_t records = 0;
  size_t skipped = 0;      // lines with every mark but fields that are not numbers
  size_t iec101 = 0;       // records handed over as IEC 101
  bool readError = false;
  bool writeError = false;
};

// Converts a recorded text file (CP1251 or UTF-8) into a pcap file.
TPcapExportResult ExportRecordingToPcap(std::FILE* in, std::FILE* out);

// The tshark options that decode the IEC 101 packets: the port and the field lengths of the
// parameter byte (two bits per field: link address, cause, common address, object address).
std::string Iec101TsharkOptions(uint8_t param);

}  // namespace vlm
