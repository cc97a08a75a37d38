// A controller on loopback UDP that lists names meant to escape the PC folder: the file exchange
// must copy the harmless files and write nothing outside the folder it was given.
#include <mutex>

#include "../link/UdpResponder.h"
#include "ServiceTestUtil.h"
#include "services/FileExchange.h"

namespace vlm::test {
namespace {

struct HostileController : TServiceTest {
  std::mutex mutex;
  TUdpResponder responder{"127.0.0.1", [this](std::span<const uint8_t> req) {
                            std::lock_guard lock(mutex);
                            return disk.Answer(req);
                          }};
  void SetUp() override {
    TServiceTest::SetUp();
    ASSERT_TRUE(responder.Ok());
    // The real UDP transport this time, on a port of its own: Windows gives a port to one socket.
    link.SetTransportFactory([](const TLinkSettings& s) { return MakeUdpTransport(s, 0); });
    link.Settings.SelfIP = {0, 0, 0, 0};
    link.Settings.DestIP = {127, 0, 0, 1};
    link.Settings.UdpPort = responder.Port();
    link.Settings.WaitTime = 1000;
  }
};

TEST_F(HostileController, NamesThatWouldLeaveTheFolderAreRefusedTheRestCopied) {
  const fs::path target = pc / "target";
  fs::create_directories(target);
  {
    std::lock_guard lock(mutex);
    disk.Add("C:\\", {"..\\..\\x", 0x20, 0, "escape"});
    disk.Add("C:\\", {"c:x", 0x20, 0, "drive"});
    disk.Add("C:\\", {"con", 0x20, 0, "device"});
    disk.Add("C:\\", {"abc\\defg.txt", 0x20, 0, "separator"});  // 12 characters with "\"
    disk.Add("C:\\", {"/etc/passwd", 0x20, 0, "absolute"});
    disk.Add("C:\\", {"GOOD.TXT", 0x20, 0x5A8B6000, "good"});
    disk.Add("C:\\", {"..", 0x10});  // a root that claims a parent
  }
  TFileExchange files(link, observer);
  files.PcDir = target;
  files.ChangeControllerDir("C:\\");
  std::vector<TFileInfo> selected;
  for (const auto& item : files.Items())
    if (!item.IsDirectory()) selected.push_back(item);
  ASSERT_EQ(selected.size(), 6u);
  EXPECT_FALSE(files.CopyToPC(selected));

  std::vector<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory()) {
      const std::u8string name = fs::relative(entry.path(), root).generic_u8string();  // "/" on Windows too
      written.emplace_back(name.begin(), name.end());
    }
  EXPECT_EQ(written, std::vector<std::string>{"pc/target/good.txt"});
  EXPECT_EQ(ReadFile(target / "good.txt"), "good");
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Файлы с именами, недопустимыми на ЭВМ, не скопированы:\r"
                              "..\\..\\x\r/etc/passwd\rabc\\defg.txt\rc:x\rcon");
  // The refused names never reached the controller as requests either.
  std::lock_guard lock(mutex);
  EXPECT_EQ(disk.Count(0x94), 2u);  // good.txt's search and the one that confirms it
}

}  // namespace
}  // namespace vlm::test
