#pragma once
// A configuration as text that diffs well: the header in hex, then one line per record, indented
// by nesting, each container with its object's tree text, each item with its caption and a value
// that states its own width ("u16 300", "ip 10.0.0.1", "\"Москва\"", "rows 4" with one line per
// row). Reading the text back gives the very same bytes; hand edits give the image they say.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

class TLoadedImage;

std::string ConfigToText(const TLoadedImage& image);

// A text that cannot be turned into an image: the line (1-based) and what is wrong there.
struct ETextFormError : std::runtime_error {
  ETextFormError(int line, const std::string& what);
  int line;
};

// The image the text describes, with its size and checksum set; not yet read by the reader.
// `lines`, when given, gets the text line of every record by the record's offset in the image.
std::vector<uint8_t> ConfigFromText(std::string_view text, std::map<size_t, int>* lines = nullptr);

}  // namespace vlm
