#pragma once
// The viewer's read of a controller file: the file goes block by block into "Bak\tempfile.bak"
// and is shown as text converted from the controller's code page, or as a hex dump when it holds
// control bytes a text never has.
#include <string>
#include <string_view>

#include "link/Velmor_PC.h"
#include "services/ServiceObserver.h"

namespace vlm {

// Opens and closes the link. False (after the error box) when the file cannot be found or read.
bool ReadFileForView(TControllerLink& link, IServiceObserver& observer, const std::string& name, std::string& text);

// DOS 866 text as UTF-8, or "OOOOOOOO  XX XX ...  chars" lines of 16 bytes for binary content.
std::string ViewText(std::string_view bytes);
bool LooksBinary(std::string_view bytes);

}  // namespace vlm
