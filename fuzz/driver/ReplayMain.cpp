// Runs a fuzz target over every file of the given folders (or files), so the saved corpus is
// replayed by ctest with any compiler. Exit status 0 when every input was taken without a crash;
// 1 when a folder or file is missing or unreadable, or when nothing at all was replayed: a lost
// corpus must fail the run, not pass it untested.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool RunFile(const std::filesystem::path& file, int& count) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.string().c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  ++count;
  return true;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
    return 1;
  }
  int count = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(p))
        if (entry.is_regular_file()) ok = RunFile(entry.path(), count) && ok;
    } else if (std::filesystem::is_regular_file(p, ec)) {
      ok = RunFile(p, count) && ok;
    } else {
      std::fprintf(stderr, "replay: no such corpus folder or file: %s\n", argv[i]);
      ok = false;
    }
  }
  std::printf("replayed %d inputs\n", count);
  if (count == 0) std::fprintf(stderr, "replay: no input replayed\n");
  return ok && count > 0 ? 0 : 1;
}
