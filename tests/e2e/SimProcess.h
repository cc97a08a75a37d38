#pragma once
// Processes of the end-to-end tests: velmor-sim on a loopback address with its own port and disk,
// and velmorctl runs with their own data folder.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vlm::e2e {

namespace fs = std::filesystem;

// A folder of its own under /tmp, removed with the object.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (fs::temp_directory_path() / "velmor_e2e_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TTempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

// Environment of the child: ours with VELMOR_HOME replaced.
inline std::vector<std::string> ChildEnvironment(const fs::path& home) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("VELMOR_HOME=", 0) != 0) env.emplace_back(*e);
  env.push_back("VELMOR_HOME=" + home.string());
  return env;
}

struct TRun {
  int status = -1;
  std::string out, err;
};

// Runs a program to its end (killed after `limit`), stdout and stderr captured.
inline TRun RunProgram(std::vector<std::string> args, const fs::path& home, const fs::path& scratch,
                       std::chrono::seconds limit = std::chrono::seconds(120)) {
  const fs::path outPath = scratch / "run.out", errPath = scratch / "run.err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  auto env = ChildEnvironment(home);
  auto argv = Argv(args);
  auto envp = Argv(env);
  pid_t pid = -1;
  TRun run;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) return run;
  posix_spawn_file_actions_destroy(&actions);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadText(outPath);
  run.err = ReadText(errPath);
  return run;
}

// velmor-sim on 127.0.0.2 (or another loopback address) with a free random port, its disk in `disk`.
class TSim {
 public:
  TSim(const fs::path& disk, const fs::path& home, std::vector<std::string> extra = {}, bool serial = false,
       std::string ip = "127.0.0.2")
      : ip_(std::move(ip)) {
    std::mt19937 random(std::random_device{}());
    for (int tries = 0; tries < 20 && pid_ < 0; ++tries) Start(disk, home, uint16_t(20000 + random() % 40000), extra, serial);
  }
  ~TSim() { Stop(); }
  TSim(const TSim&) = delete;
  TSim& operator=(const TSim&) = delete;

  bool Running() const { return pid_ > 0; }
  uint16_t Port() const { return port_; }
  const std::string& Pty() const { return pty_; }
  // Port of the oscilloscope stream from the readiness line "osc: IP:PORT" (0 when there is none).
  uint16_t OscPort() const { return oscPort_; }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  void Start(const fs::path& disk, const fs::path& home, uint16_t port, const std::vector<std::string>& extra,
             bool serial) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    std::vector<std::string> args{VELMOR_SIM, "--ip", ip_, "--port", std::to_string(port), "--disk", disk.string()};
    if (serial) args.push_back("--serial");
    args.insert(args.end(), extra.begin(), extra.end());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, (home / "sim.err").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    auto env = ChildEnvironment(home);
    auto argv = Argv(args);
    auto envp = Argv(env);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned && WaitReady(fds[0], serial)) {
      pid_ = pid;
      port_ = port;
    } else if (spawned) {
      ::kill(pid, SIGTERM);
      ::waitpid(pid, nullptr, 0);
    }
    ::close(fds[0]);
  }

  // Reads the readiness lines; false when the simulator ended (port taken) or stayed silent.
  bool WaitReady(int fd, bool serial) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      // "udp:" and "osc:" come in one write; both lines whole.
      const size_t oscLine = text.find("osc: ");
      const bool udpReady = text.find("udp: ") != std::string::npos && oscLine != std::string::npos &&
                            text.find('\n', oscLine) != std::string::npos;
      const size_t pty = text.find("pty: ");
      if (udpReady && (!serial || (pty != std::string::npos && text.find('\n', pty) != std::string::npos))) {
        if (const size_t osc = text.find("osc: "); osc != std::string::npos) {
          const size_t colon = text.find(':', osc + 5);
          oscPort_ = uint16_t(std::stoi(text.substr(colon + 1, text.find('\n', osc) - colon - 1)));
        }
        if (serial) pty_ = text.substr(pty + 5, text.find('\n', pty) - pty - 5);
        return true;
      }
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) return false;
      text.append(buffer, size_t(n));
    }
    return false;
  }

  std::string ip_;
  pid_t pid_ = -1;
  uint16_t port_ = 0;
  uint16_t oscPort_ = 0;
  std::string pty_;
};

}  // namespace vlm::e2e
