#include "sim/SimOptions.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "common/IpAddress.h"

namespace vlm::sim {
namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ParseProbability(const std::string& text, double& out) {
  size_t used = 0;
  try {
    out = std::stod(text, &used);
  } catch (...) {
    return false;
  }
  return used == text.size() && std::isfinite(out) && out >= 0 && out <= 1;
}

using Setter = std::function<bool(const std::string&, SimOptions&)>;

const std::map<std::string, Setter>& ValueOptions() {
  static const std::map<std::string, Setter> options = {
      {"--ip", [](const std::string& v, SimOptions& o) {
         o.ip = v;
         try {
           StrToIP(v);
           return true;
         } catch (const EConvertError&) {
           return false;
         }
       }},
      {"--port", [](const std::string& v, SimOptions& o) { return ParseNumber(v, o.port); }},
      {"--osc-port", [](const std::string& v, SimOptions& o) { return ParseNumber(v, o.oscPort) && o.oscPort >= 0 && o.oscPort <= 65535; }},
      {"--disk", [](const std::string& v, SimOptions& o) { o.disk = v; return !v.empty(); }},
      {"--seed", [](const std::string& v, SimOptions& o) { return ParseNumber(v, o.faults.seed); }},
      {"--drop", [](const std::string& v, SimOptions& o) { return ParseProbability(v, o.faults.drop); }},
      {"--dup", [](const std::string& v, SimOptions& o) { return ParseProbability(v, o.faults.dup); }},
      {"--corrupt", [](const std::string& v, SimOptions& o) { return ParseProbability(v, o.faults.corrupt); }},
      {"--box-rate", [](const std::string& v, SimOptions& o) {
         return ParseNumber(v, o.boxRate) && o.boxRate >= 0 && o.boxRate <= 1000;
       }},
      {"--delay", [](const std::string& v, SimOptions& o) {
         return ParseNumber(v, o.faults.delayMs) && o.faults.delayMs <= 60000;
       }},
      {"--late", [](const std::string& v, SimOptions& o) { return ParseProbability(v, o.faults.late); }},
      {"--late-max", [](const std::string& v, SimOptions& o) {
         return ParseNumber(v, o.faults.lateMaxMs) && o.faults.lateMaxMs > 0 && o.faults.lateMaxMs <= 60000;
       }},
      {"--dup-gap", [](const std::string& v, SimOptions& o) {
         return ParseNumber(v, o.faults.dupGapMs) && o.faults.dupGapMs <= 60000;
       }},
  };
  return options;
}

}  // namespace

std::string ParseOptions(const std::vector<std::string>& args, SimOptions& options) {
  bool udpAsked = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    const size_t eq = name.find('=');
    const bool inlineValue = name.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inlineValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "-v" || name == "--verbose") {
      options.verbose = true;
    } else if (name == "--no-batch") {
      options.noBatch = true;
    } else if (name == "--box-clean") {
      options.boxClean = true;
    } else if (name == "--long-len-mod256") {
      options.longLengthModulo = true;
    } else if (name == "--echo") {
      options.echo = true;
    } else if (name == "--serial") {
      options.serial = true;
    } else if (name == "-h" || name == "--help") {
      options.help = true;
    } else if (auto it = ValueOptions().find(name); it != ValueOptions().end()) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) return name + " needs a value";
        value = args[++i];
      }
      if (!it->second(value, options)) return "bad value for " + name + ": " + value;
      udpAsked |= name == "--ip" || name == "--port";
    } else {
      return "unknown option " + args[i];
    }
  }
  if (options.faults.late > 0 && options.faults.lateMaxMs == 0) return "--late needs --late-max";
  if (options.echo && !options.serial) return "--echo needs --serial";
  // --serial alone plays a controller on the serial line only; naming an address keeps UDP too.
  options.udp = !options.serial || udpAsked;
  return {};
}

const char* Usage() {
  return "usage: velmor-sim [options]\n"
         "  --ip IP        UDP address to listen on (default 127.0.0.2)\n"
         "  --port N       UDP port (default 208; 0 = any free port)\n"
         "  --osc-port N   UDP port of the oscilloscope stream (default 209 with\n"
         "                 port 208, else any free port)\n"
         "  --serial       create a pseudo-terminal and serve the serial link on it\n"
         "                 (UDP then only when --ip or --port is given as well)\n"
         "  --disk DIR     folder holding the controller's drive c: (default ./velmor-disk)\n"
         "  --seed N       seed of the fault injection and of the diagnostic values (default 1)\n"
         "  --drop P       probability that a request or its answer is lost\n"
         "  --dup P        probability that an answer is sent twice\n"
         "  --corrupt P    probability that one answer byte is changed\n"
         "  --delay MS     delay of every answer in milliseconds\n"
         "  --late P       probability that an answer leaves late, on top of --delay; later\n"
         "                 answers are not held back, so a late one arrives out of order\n"
         "  --late-max MS  a late answer leaves 1..MS milliseconds late (uniform)\n"
         "  --dup-gap MS   the copy of a duplicated answer follows it 0..MS ms later\n"
         "                 (uniform; default 0, back to back)\n"
         "  --long-len-mod256  the length byte of an answer with more than 255 bytes\n"
         "                 behind it is that length modulo 256 instead of 255\n"
         "  --echo         the serial line sends every byte of a request back before\n"
         "                 the answer, as an RS-485 adapter does (needs --serial)\n"
         "  --box-rate N   frames per second of each recorded serial port (default 10;\n"
         "                 0 = silent ports); the traffic follows --seed\n"
         "  --box-clean    recorded traffic without planted faults\n"
         "  --no-batch     leave ReadMemoryAreas unanswered, as older firmware does\n"
         "  -v             one line per request on stderr\n"
         "Readiness lines on stdout: \"udp: IP:PORT\", \"osc: IP:PORT\", then \"pty: PATH\" with --serial.\n";
}

}  // namespace vlm::sim
