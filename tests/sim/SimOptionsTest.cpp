// The command line of velmor-sim.
#include <gtest/gtest.h>

#include "sim/SimOptions.h"

using namespace vlm::sim;

namespace {

SimOptions Parse(std::vector<std::string> args, std::string* error = nullptr) {
  SimOptions o;
  const std::string e = ParseOptions(args, o);
  if (error) *error = e;
  else EXPECT_EQ(e, "");
  return o;
}

TEST(SimOptions, Defaults) {
  const SimOptions o = Parse({});
  EXPECT_EQ(o.ip, "127.0.0.2");
  EXPECT_EQ(o.port, 208);
  EXPECT_TRUE(o.udp);
  EXPECT_FALSE(o.serial);
  EXPECT_EQ(o.faults.drop, 0);
  EXPECT_EQ(o.faults.seed, 1u);
  EXPECT_EQ(o.OscPort(), 209);
}

TEST(SimOptions, OscilloscopePortFollowsTheLinkPortUnlessGiven) {
  EXPECT_EQ(Parse({"--port", "20208"}).OscPort(), 0);  // a free port, told on the readiness line
  EXPECT_EQ(Parse({"--port", "20208", "--osc-port", "20209"}).OscPort(), 20209);
  EXPECT_EQ(Parse({"--osc-port=0"}).OscPort(), 0);
  std::string error;
  Parse({"--osc-port", "70000"}, &error);
  EXPECT_EQ(error, "bad value for --osc-port: 70000");
}

TEST(SimOptions, AllOptionsBothSpellings) {
  const SimOptions o = Parse({"--ip", "127.0.0.9", "--port=2080", "--disk", "d", "--seed", "77",
                              "--drop", "0.2", "--dup=0.05", "--corrupt", "1", "--delay", "5", "-v"});
  EXPECT_EQ(o.ip, "127.0.0.9");
  EXPECT_EQ(o.port, 2080);
  EXPECT_EQ(o.disk, "d");
  EXPECT_EQ(o.faults.seed, 77u);
  EXPECT_DOUBLE_EQ(o.faults.drop, 0.2);
  EXPECT_DOUBLE_EQ(o.faults.dup, 0.05);
  EXPECT_DOUBLE_EQ(o.faults.corrupt, 1);
  EXPECT_EQ(o.faults.delayMs, 5u);
  EXPECT_TRUE(o.verbose);
}

TEST(SimOptions, LinkFaultsOfSlowAndOddLinks) {
  const SimOptions o = Parse({"--late", "0.05", "--late-max=2000", "--dup-gap", "30", "--long-len-mod256",
                              "--serial", "--echo"});
  EXPECT_DOUBLE_EQ(o.faults.late, 0.05);
  EXPECT_EQ(o.faults.lateMaxMs, 2000u);
  EXPECT_EQ(o.faults.dupGapMs, 30u);
  EXPECT_TRUE(o.longLengthModulo);
  EXPECT_TRUE(o.echo);
  std::string error;
  Parse({"--late", "0.1"}, &error);
  EXPECT_EQ(error, "--late needs --late-max");
  Parse({"--echo"}, &error);
  EXPECT_EQ(error, "--echo needs --serial");
}

TEST(SimOptions, SerialAloneTurnsUdpOff) {
  EXPECT_FALSE(Parse({"--serial"}).udp);
  EXPECT_TRUE(Parse({"--serial", "--port", "2081"}).udp);
  EXPECT_TRUE(Parse({"--ip", "127.0.0.3", "--serial"}).udp);
}

TEST(SimOptions, BadValuesAreRefused) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--port", "70000"}, {"--port"}, {"--ip", "localhost"}, {"--drop", "1.5"}, {"--drop", "-0.1"},
           {"--dup", "x"}, {"--delay", "-1"}, {"--seed", "1x"},
           {"--late", "2"}, {"--late-max", "0"}, {"--dup-gap", "60001"}, {"--bogus"}, {"--disk", ""}}) {
    std::string error;
    Parse(args, &error);
    EXPECT_NE(error, "") << args[0];
  }
}

}  // namespace
