#pragma once
// The list of known controllers kept in "IPList.ini" (section "IPList", place = address), and
// the row operations of the settings dialog. Addresses stay texts as typed (the list is saved as
// it was written); StrToIP and IPToStr (common/IpAddress.h) convert them, and a row whose text is
// not an address is never used to reach a controller.
#include <filesystem>
#include <string>
#include <vector>

namespace vlm {

struct TIpRow {
  std::string address;
  std::string place;
  // Four numbers 0..255: a row typed as 127.0.0.304 must not reach the controller at .48.
  bool AddressValid() const;
};

class TIpList {
 public:
  std::vector<TIpRow> rows;

  void Load(const std::filesystem::path& ini);
  // Writes nothing when there are no rows; rows with an empty place are skipped. False when the
  // file cannot be written.
  bool Save(const std::filesystem::path& ini) const;
  // Removes row i (0-based); the last remaining row is only cleared.
  void Delete(int i);
  // Swaps row i with its neighbour; returns the new current row.
  int MoveUp(int i);
  int MoveDown(int i);
  // First row whose address text equals the address, or -1.
  int Find(const std::string& address) const;
  // The place recorded for an address (empty when none).
  std::string PlaceOf(const std::string& address) const;
};

}  // namespace vlm
