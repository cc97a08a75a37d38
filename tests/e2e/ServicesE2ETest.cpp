// The controller services (the code behind the file exchange, upload, autoexec and reset windows)
// against velmor-sim over loopback UDP.
#include <gtest/gtest.h>

#include "SimProcess.h"
#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "services/Autoexec.h"
#include "services/FileExchange.h"
#include "services/FileTime.h"
#include "services/FileView.h"
#include "services/Reset.h"
#include "services/Upload.h"

namespace vlm::e2e {
namespace {

struct TStates : IServiceObserver {
  std::vector<std::string> states, logs;
  void State(const std::string& text) override { states.push_back(text); }
  void Log(const std::string& line) override { logs.push_back(line); }
};

std::string Bytes(size_t n, unsigned seed) {
  std::string s(n, '\0');
  std::mt19937 random(seed);
  for (auto& c : s) c = char(random());
  return s;
}

struct ServicesE2E : ::testing::Test {
  TTempDir root;
  fs::path home = root.Path() / "home", disk = root.Path() / "disk", pc = root.Path() / "pc";
  std::unique_ptr<TSim> sim;
  TControllerLink link;
  TStates observer;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};

  void SetUp() override {
    ASSERT_FALSE(root.Path().empty());
    for (const auto& d : {home, disk, pc}) fs::create_directories(d);
    ::setenv("VELMOR_HOME", home.c_str(), 1);
  }
  void TearDown() override { ::unsetenv("VELMOR_HOME"); }
  void Start() {
    sim = std::make_unique<TSim>(disk, home);
    ASSERT_TRUE(sim->Running());
    link.Settings.SelfIP = {127, 0, 0, 1};
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.UdpPort = sim->Port();
    // Short enough that a loaded machine still answers in time, long enough for a retry to help.
    link.Settings.WaitTime = 300;
  }
  const TFileInfo* Item(const TFileExchange& files, const std::string& name) {
    for (const auto& item : files.Items())
      if (item.Name == name) return &item;
    return nullptr;
  }
};

TEST_F(ServicesE2E, ListCopyCompareViewAndDelete) {
  const std::vector<size_t> sizes{0, 1, 229, 230, 231, 460, 461, 1419, 1420, 1421, 4096, 65535, 65536,
                                  100000, 200000, 300001, 500000, 777777, 1000000, 1048576};
  std::vector<TFileInfo> selected;
  fs::create_directories(disk / "sub");
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = "f" + std::to_string(i) + ".bin";
    WriteBytes(disk / name, Bytes(sizes[i], unsigned(i)));
    ASSERT_TRUE(SetFileDosTime(disk / name, (uint32_t(40 + i) << 25) | (3u << 21) | (5u << 16) | (10u << 11) | (20u << 5) | 15u));
  }
  WriteBytes(disk / "sub" / "inner.txt", "inner");
  Start();
  TFileExchange files(link, observer);
  files.PcDir = pc;
  files.ChangeControllerDir("C:\\");
  ASSERT_TRUE(Item(files, "SUB"));
  ASSERT_TRUE(Item(files, "autoexec.bat"));
  ASSERT_FALSE(Item(files, "."));
  for (size_t i = 0; i < sizes.size(); ++i) {
    const TFileInfo* item = Item(files, "f" + std::to_string(i) + ".bin");
    ASSERT_TRUE(item) << i;
    EXPECT_EQ(item->Size, sizes[i]);
    selected.push_back(*item);
  }

  ASSERT_TRUE(files.CopyToPC(selected)) << (observer.states.empty() ? "" : observer.states.back());
  for (size_t i = 0; i < sizes.size(); ++i) {
    const std::string name = "f" + std::to_string(i) + ".bin";
    EXPECT_EQ(ReadText(pc / name), Bytes(sizes[i], unsigned(i))) << name;
    EXPECT_EQ(FileDosTime(pc / name), FileDosTime(disk / name)) << name;
  }
  EXPECT_TRUE(prompt.errors.empty());

  EXPECT_TRUE(files.Compare({selected[5], selected[12]}));
  EXPECT_EQ(observer.states.back(), "Сравнение f12.bin завершено успешно.");
  std::string changed = Bytes(sizes[12], 12);
  changed[40000] = char(~changed[40000]);
  WriteBytes(pc / "f12.bin", changed);
  EXPECT_FALSE(files.Compare({selected[12]}));
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0], "Ошибка при сравнении файлов.\r\rФайл: f12.bin\r\rПозиция данных в файле, начиная с 0: 40000"
                              "\r\rДанные в ЭВМ: " + std::to_string(uint8_t(changed[40000])) +
                              "  Данные в ВЕЛМОР: " + std::to_string(uint8_t(~changed[40000])));

  WriteBytes(disk / "note.txt", "rem \x8F\xE0\xA8\xA2\xA5\xE2\r\n");
  std::string text;
  ASSERT_TRUE(ReadFileForView(link, observer, "note.txt", text));
  EXPECT_EQ(text, "rem Привет\r\n");

  EXPECT_EQ(files.Enter(*Item(files, "SUB")), "..");
  EXPECT_EQ(files.ControllerPath, "C:\\SUB\\");
  ASSERT_TRUE(Item(files, ".."));
  ASSERT_TRUE(Item(files, "inner.txt"));
  EXPECT_EQ(files.Enter(*Item(files, "..")), "SUB");

  ASSERT_TRUE(files.Delete(selected[1]));
  EXPECT_FALSE(fs::exists(disk / "f1.bin"));
  EXPECT_FALSE(Item(files, "f1.bin"));
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_FALSE(link.LinkOpen());
}

TEST_F(ServicesE2E, UploadAutoexecRoundTripAndReset) {
  Start();
  const std::string program = Bytes(3000, 99);
  WriteBytes(pc / "program.exe", program);
  TUpload upload(link, observer);
  ASSERT_TRUE(upload.Load(pc / "program.exe"));
  EXPECT_EQ(observer.logs.back(), "Проверка завершена успешно.");
  EXPECT_EQ(ReadText(disk / "program.exe"), program);

  TAutoexec autoexec(link, observer);
  prompt.answers = {TAnswer::No};
  ASSERT_TRUE(autoexec.Write(EditorToAutoexec("@echo off\nrem Запуск ВЕЛМОР\nvlm.exe\n")));
  EXPECT_EQ(ReadText(disk / "autoexec.bat"), "@echo off\r\nrem \x87\xA0\xAF\xE3\xE1\xAA \x82\x85\x8B\x8C\x8E\x90\r\nvlm.exe\r\n");
  TAutoexecFile file;
  ASSERT_TRUE(autoexec.Read(file));
  EXPECT_EQ(AutoexecToEditor(file.Bytes), "@echo off\nrem Запуск ВЕЛМОР\nvlm.exe\n");
  EXPECT_EQ(file.Size, file.Bytes.size());

  // The reset restarts the controller's state: the current folder is the root again.
  fs::create_directories(disk / "sub");
  WriteBytes(disk / "sub" / "only.txt", "x");
  {
    TLinkSession session(link);
    ASSERT_TRUE(ChangeDir(link, "c:\\sub"));
    link.File.FileName = "only.txt";
    ASSERT_TRUE(FindFile(link, true));
  }
  ASSERT_TRUE(SendReset(link));
  {
    TLinkSession session(link);
    link.File.FileName = "only.txt";
    EXPECT_FALSE(FindFile(link, true));
    EXPECT_EQ(link.LastDosError, 2);
  }
  sim->Stop();
  EXPECT_NE(ReadText(home / "sim.err").find("sim: reset #1, state restarted"), std::string::npos);
}

TEST_F(ServicesE2E, VelmorctlAutoexecAndCmp) {
  Start();
  auto ctl = [&](std::vector<std::string> rest) {
    std::vector<std::string> args{VELMORCTL, "--ip", "127.0.0.2", "--self", "127.0.0.1", "--port",
                                  std::to_string(sim->Port())};
    args.insert(args.end(), rest.begin(), rest.end());
    return RunProgram(args, home, root.Path());
  };
  // Windows-1251 text in, 866 with CR LF on the controller, the same 1251 text back.
  WriteBytes(pc / "auto.txt", "@echo off\nrem \xC7\xE0\xEF\xF3\xF1\xEA\n");  // "Запуск" in 1251
  TRun run = ctl({"autoexec", "put", (pc / "auto.txt").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(disk / "autoexec.bat"), "@echo off\r\nrem \x87\xA0\xAF\xE3\xE1\xAA\r\n");
  run = ctl({"autoexec", "get", "-o", (pc / "back.txt").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(pc / "back.txt"), "@echo off\r\nrem \xC7\xE0\xEF\xF3\xF1\xEA\r\n");
  run = ctl({"autoexec", "get"});
  EXPECT_EQ(run.out, "@echo off\nrem Запуск\n");
  run = ctl({"autoexec", "get", "--raw", "-o", (pc / "raw.bat").string()});
  EXPECT_EQ(ReadText(pc / "raw.bat"), ReadText(disk / "autoexec.bat"));
  WriteBytes(pc / "raw.bat", "rem \x87\r\n");
  ASSERT_EQ(ctl({"autoexec", "put", (pc / "raw.bat").string(), "--raw"}).status, 0);
  EXPECT_EQ(ReadText(disk / "autoexec.bat"), "rem \x87\r\n");

  const std::string data = Bytes(1000, 5);
  WriteBytes(disk / "data.bin", data);
  WriteBytes(pc / "same.bin", data);
  run = ctl({"cmp", "data.bin", (pc / "same.bin").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Сравнение data.bin завершено успешно."), std::string::npos);
  std::string changed = data;
  changed[777] = char(~changed[777]);
  WriteBytes(pc / "other.bin", changed);
  run = ctl({"cmp", "data.bin", (pc / "other.bin").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Позиция данных в файле, начиная с 0: 777"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Данные в ЭВМ: " + std::to_string(uint8_t(changed[777])) +
                         "  Данные в ВЕЛМОР: " + std::to_string(uint8_t(data[777]))), std::string::npos);
}

}  // namespace
}  // namespace vlm::e2e
