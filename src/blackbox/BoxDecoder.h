#pragma once
// Frame decoders of the recorded traffic: a record and its data length in, text lines (joined
// with CR LF) and a colour code out. The decoder is picked by the protocol code.
#include <cstddef>
#include <cstdint>
#include <string>

#include "blackbox/BoxRecord.h"
#include "common/DateTime.h"

namespace vlm {

// Colour codes used across decoders (low nibble text colour, high nibble background).
constexpr uint8_t kColourError = 79;     // commands and every decoding error
constexpr uint8_t kColourService = 113;  // APCI S/U frames, header-only frames

// Appended when a frame ends before a field or object that its own headers announce.
inline constexpr const char* kTruncatedMark = " ...обрыв";

// What a decoder keeps from one frame to the next. One instance per stream of records (one per
// reader in the window, one per file in velmorctl).
struct TDecoderState {
  uint16_t modbusRequestAddress = 0;  // start address of the most recent Modbus request
};

struct TDecoded {
  std::string text;
  uint8_t colour = 0;
};

// Everything one decoder call sees.
struct TFrameIn {
  const TBoxRecord& record;
  int length;      // L, 0..128
  TDateTime time;  // PC time printed at the start of the record's line
  TDecoderState& state;

  const uint8_t* Data() const { return record.data.data(); }
  bool In() const { return record.direction == kBoxDirIn; }
  const char* Arrow() const { return In() ? "->" : "<-"; }
};

using TDecodeFn = void (*)(const TFrameIn& in, TDecoded& out);

// The decoder of a protocol code (bits 0-5 of the protocol byte), or nullptr.
TDecodeFn FindDecoder(uint8_t code);
inline bool HasDecoder(uint8_t code) { return FindDecoder(code) != nullptr; }

// Decodes one record. Records of an invalid direction, or of a code without a decoder, give an
// empty text and colour 0. L above 128 is taken as 128.
TDecoded DecodeRecord(const TBoxRecord& record, size_t length, TDateTime time, TDecoderState& state);

// The decoders themselves (each bounds its reads by L and reports a missing announced field
// with kTruncatedMark).
void DecodeSirius(const TFrameIn& in, TDecoded& out);     // codes 2, 4
void Decode101(const TFrameIn& in, TDecoded& out);        // code 8
void DecodeMkt3(const TFrameIn& in, TDecoded& out);       // code 12
void DecodeTkRes(const TFrameIn& in, TDecoded& out);      // code 13
void Decode104(const TFrameIn& in, TDecoded& out);        // code 14
void DecodeLisna(const TFrameIn& in, TDecoded& out);      // code 32
void DecodeModbus(const TFrameIn& in, TDecoded& out);     // code 35
void DecodeLampBoard(const TFrameIn& in, TDecoded& out);  // code 36
void DecodeApciPrivate(const TFrameIn& in, TDecoded& out);  // code 37

}  // namespace vlm
