#pragma once
// Printing a recorded text file as the black-box window lists it, streaming: the file is read
// in chunks and the output written in chunks, so a recording of any size fits in a few MB.
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace vlm {

// Lines of a file through a fixed buffer; a line longer than the buffer grows it.
class TLineSource {
 public:
  explicit TLineSource(std::FILE* file, size_t chunk = 1 << 20) : file_(file), buffer_(chunk) {}

  // The next line without its '\n' (a '\r' before it stays); false at the end of the file.
  // The view is valid until the next call.
  bool Next(std::string_view& line);
  bool Failed() const { return std::ferror(file_) != 0; }

 private:
  void Refill();

  std::FILE* file_;
  std::vector<char> buffer_;
  size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
};

struct TReplayOptions {
  bool showHex = true;     // the window's "Цифра"
  // Parameter byte of replayed records: the line does not carry it; all IEC 101 fields one
  // octet is the usual port set-up.
  uint8_t param = 0x55;
};

struct TReplayResult {
  size_t records = 0;      // lines taken as records
  bool readError = false;
  bool writeError = false;
};

class TBoxDriver;

// Replays a recorded text file through a reader ("Test"), one record per step, as the window's
// play timer does: each record goes through the reader's ProcessRecord with the time and the
// fields of its line.
class TBoxReplay {
 public:
  TBoxReplay(TBoxDriver& box, std::FILE* file, uint8_t param = TReplayOptions{}.param);

  // Reads lines until one is a record and processes that one; false at the end of the file.
  bool Step();
  // Bytes passed so far, each line counted with its CR LF (the window's progress bar).
  uint64_t Progress() const { return progress_; }
  size_t Records() const { return records_; }
  // Lines that carried every mark but whose fields did not parse; the window reports them at the end.
  size_t Skipped() const { return skipped_; }
  bool ReadError() const { return source_.Failed(); }

 private:
  TBoxDriver& box_;
  TLineSource source_;
  uint8_t param_;
  uint64_t progress_ = 0;
  size_t records_ = 0, skipped_ = 0;
};

// Reads recorded lines (CP1251 or UTF-8) from `in` and writes, as UTF-8, every record line
// followed by its decoded lines; other lines of the file are passed over.
TReplayResult PrintRecording(std::FILE* in, std::FILE* out, const TReplayOptions& options);

}  // namespace vlm
