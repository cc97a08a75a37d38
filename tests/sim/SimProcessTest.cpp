// The velmor-sim executable: readiness lines, both links, clean stop on SIGTERM, bad options.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "SimTestUtil.h"

using namespace simtest;

extern char** environ;

namespace {

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), VELMOR_SIM);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, VELMOR_SIM, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }
  // One line of stdout, or "" when none comes within the (generous) time-out.
  std::string Line() {
    std::string line;
    char c;
    while (true) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 10000) <= 0 || read(out_, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line += c;
    }
  }
  // Exit status after SIGTERM, -1 when it did not end normally.
  int Stop(int signal = SIGTERM) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

Bytes UdpExchange(const std::string& address, const Bytes& request) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  timeval timeout{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  const size_t colon = address.find(':');
  to.sin_port = htons(uint16_t(std::stoi(address.substr(colon + 1))));
  inet_pton(AF_INET, address.substr(0, colon).c_str(), &to.sin_addr);
  sendto(fd, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  Bytes answer(1600);
  const ssize_t got = recv(fd, answer.data(), answer.size(), 0);
  answer.resize(got > 0 ? size_t(got) : 0);
  close(fd);
  return answer;
}

Bytes SerialExchange(int fd, const Bytes& request, size_t expected) {
  EXPECT_EQ(write(fd, request.data(), request.size()), ssize_t(request.size()));
  Bytes answer;
  uint8_t buffer[512];
  while (answer.size() < expected) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) <= 0) break;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    answer.insert(answer.end(), buffer, buffer + n);
  }
  return answer;
}

TEST(SimProcess, UdpReadinessLineThenAnswersThenCleanStop) {
  vlm::test::TTempDir dir{"sim"};
  SimProcess sim({"--ip", "127.0.0.4", "--port", "0", "--disk", (dir.Path() / "c").string()});
  const std::string ready = sim.Line();
  ASSERT_EQ(ready.rfind("udp: 127.0.0.4:", 0), 0u) << ready;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "c" / "vlm.cfg"));
  // 7000:0010 lies beyond what the firmware publishes (diagnostic tree, recorders): still zero.
  EXPECT_EQ(ToHex(UdpExchange(ready.substr(5), Hex("06 80 10 00 00 70 01 01"))), "07 80 10 00 00 70 01 00 01");
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
}

TEST(SimProcess, SerialAloneServesThePtyInRawMode) {
  vlm::test::TTempDir dir{"sim"};
  SimProcess sim({"--serial", "--disk", dir.Path().string()});
  const std::string ready = sim.Line();
  ASSERT_EQ(ready.rfind("pty: /dev/", 0), 0u) << ready;
  const int fd = open(ready.substr(5).c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios tio{};
  tcgetattr(fd, &tio);
  EXPECT_EQ(tio.c_lflag & (ECHO | ICANON), 0u);
  // A line break byte and noise first: raw mode must pass 0A and 0D untouched.
  Bytes noisy = Hex("0D 0A FF");
  Append(noisy, Hex("06 80 0A 0D 00 00 02 99"));
  EXPECT_EQ(ToHex(SerialExchange(fd, noisy, 10)), "08 80 0A 0D 00 00 02 00 00 99");
  close(fd);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(SimProcess, EchoingLineSendsTheRequestBackBeforeTheAnswer) {
  vlm::test::TTempDir dir{"sim"};
  SimProcess sim({"--serial", "--echo", "--disk", dir.Path().string()});
  const std::string ready = sim.Line();
  ASSERT_EQ(ready.rfind("pty: /dev/", 0), 0u) << ready;
  const int fd = open(ready.substr(5).c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ToHex(SerialExchange(fd, Hex("06 80 0A 0D 00 00 02 99"), 18)),
            "06 80 0A 0D 00 00 02 99 08 80 0A 0D 00 00 02 00 00 99");
  close(fd);
  EXPECT_EQ(sim.Stop(SIGINT), 0);
}

TEST(SimProcess, BadCommandLineGivesStatus2) {
  SimProcess sim({"--drop", "2"});
  EXPECT_EQ(sim.Wait(), 2);
}

}  // namespace
