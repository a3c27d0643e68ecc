#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "serial/platform_comm.h"
#include "serial/serial_port.h"
#include "sim/simulated_beacon.h"
#include "support/beacon_sim_process.h"

namespace wb {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
using Bytes = std::vector<std::uint8_t>;

std::filesystem::path scratchDir() {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("wb-sim-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

void writeWb1(const std::filesystem::path& path, const ConfigImage& image) {
    std::ofstream out(path, std::ios::binary);
    out.write("WB14", 4);
    const char length[4] = {0, 1, 0, 0};
    out.write(length, 4);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class BeaconSimServer : public ::testing::Test {};

TEST_F(BeaconSimServer, AnswersVersionAndImageOfEachModel) {
    struct Case {
        const char* model;
        DeviceModel deviceModel;
        const char* version;
    };
    for (const Case& c : {Case{"basic", kBasicModel, "Wrenbolt v2.1\r\n"},
                          Case{"tarsel", kTarselModel, "Wrenbolt-Tarsel v1.07\r\n"}}) {
        test::BeaconSimProcess server({"--model", c.model});
        ASSERT_FALSE(server.slavePath().empty()) << c.model;
        ASSERT_TRUE(server.openPort()) << c.model;

        const auto start = std::chrono::steady_clock::now();
        server.send({kEsc, 'V'});
        const Bytes version = server.receive(64);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(std::string(version.begin(), version.end()), c.version) << c.model;
        // The bytes trickle out at 2400 baud, never faster.
        EXPECT_GE(took, std::chrono::microseconds((version.size() - 1) * 4166)) << c.model;

        server.send({kEsc, 'U'}, 10);
        const Bytes image = server.receive(300);
        const ConfigImage expected = factoryImage(c.deviceModel);
        EXPECT_EQ(image, Bytes(expected.begin(), expected.end())) << c.model;
        EXPECT_EQ(server.stop(), 0) << c.model;
    }
}

TEST_F(BeaconSimServer, WriteThenDumpOnExit) {
    const auto dir = scratchDir();
    const auto dump = dir / "dump.wb1";
    const auto link = dir / "com7";
    std::filesystem::remove(dump);
    std::filesystem::remove(link);
    // A hidden port's link comes back as it was.
    std::filesystem::create_directory_symlink(dir, link);
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    {
        test::BeaconSimProcess server({"--model", "tarsel", "--dump", dump.string(), "--link", link.string()});
        ASSERT_EQ(std::filesystem::read_symlink(link), server.slavePath());
        ASSERT_TRUE(server.openPort());
        server.send({kEsc, 'D', 0xAA, 'U'}, 10);
        server.send(Bytes(image.begin(), image.end()), 20);
        server.send({kEsc, 'U'}, 10);
        EXPECT_EQ(server.receive(256), Bytes(image.begin(), image.end()));
        EXPECT_EQ(server.stop(SIGINT), 0);
    }
    const Bytes file = readFile(dump);
    ASSERT_EQ(file.size(), 264u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{'W', 'B', '1', '4', 0, 1, 0, 0}));
    EXPECT_EQ(Bytes(file.begin() + 8, file.end()), Bytes(image.begin(), image.end()));
    EXPECT_EQ(std::filesystem::read_symlink(link), dir);
    std::filesystem::remove_all(dir);
}

TEST_F(BeaconSimServer, StartsFromAGivenImageAndVersion) {
    const auto dir = scratchDir();
    const auto file = dir / "start.wb1";
    ConfigImage image{};
    image.fill(0x33);
    image[255] = 0x01;
    writeWb1(file, image);
    test::BeaconSimProcess server({"--image", file.string(), "--version", "Wrenbolt v9.9\\r\\n"});
    ASSERT_TRUE(server.openPort());
    server.send({kEsc, 'V'});
    const Bytes version = server.receive(15);
    EXPECT_EQ(std::string(version.begin(), version.end()), "Wrenbolt v9.9\r\n");
    server.send({kEsc, 'U'}, 10);
    EXPECT_EQ(server.receive(256), Bytes(image.begin(), image.end()));
    std::filesystem::remove_all(dir);
}

TEST_F(BeaconSimServer, Faults) {
    struct Case {
        const char* fault;
        Bytes request;
        std::size_t expected;
    };
    const std::vector<Case> cases{
        {"silent", {kEsc, 'V'}, 0},
        {"short-image", {kEsc, 'U'}, 255},
        {"long-image", {kEsc, 'U'}, 300},
        {"line-drop", {kEsc, 'U'}, 100},
    };
    for (const Case& c : cases) {
        test::BeaconSimProcess server({"--fault", c.fault});
        ASSERT_TRUE(server.openPort()) << c.fault;
        server.send(c.request, 10);
        EXPECT_EQ(server.receive(400).size(), c.expected) << c.fault;
    }
    test::BeaconSimProcess endless({"--fault", "endless"});
    ASSERT_TRUE(endless.openPort());
    endless.send({kEsc, 'V'});
    EXPECT_EQ(endless.receive(400, 1000).size(), 400u);
}

// The program's own port code, closing and reopening between the phases of
// a Read Config as the exchange does.
TEST_F(BeaconSimServer, ServesTheProgramsSerialPort) {
    test::BeaconSimProcess server({"--model", "tarsel"});
    auto comm = makePlatformComm();
    SerialPort port(*comm);
    port.setPortName(server.slavePath());
    // Reads `count` bytes. An empty read gives up after about 100 ms, and a
    // loaded machine can hold the simulator back longer than that, so only
    // a second without a byte ends the reply early. One more read catches
    // a byte too many.
    auto drain = [&](std::size_t count) {
        Bytes got;
        std::uint8_t byte = 0;
        for (int misses = 0; got.size() < count && misses < 10;) {
            if (port.read(&byte, 1) == 1) {
                got.push_back(byte);
                misses = 0;
            } else {
                ++misses;
            }
        }
        if (got.size() == count && port.read(&byte, 1) == 1) got.push_back(byte);
        return got;
    };
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(port.open()) << port.lastError;
        const std::uint8_t version[] = {kEsc, 'V'};
        EXPECT_EQ(port.write(version, 2, 0), 2);
        const std::string expectedVersion = "Wrenbolt-Tarsel v1.07\r\n";
        const Bytes reply = drain(expectedVersion.size());
        EXPECT_EQ(std::string(reply.begin(), reply.end()), expectedVersion);
        port.close();

        ASSERT_TRUE(port.open()) << port.lastError;
        const std::uint8_t read[] = {kEsc, 'U'};
        EXPECT_EQ(port.write(read, 2, 10), 2);
        const ConfigImage expected = factoryImage(kTarselModel);
        EXPECT_EQ(drain(expected.size()), Bytes(expected.begin(), expected.end()));
        port.close();
    }
}

TEST_F(BeaconSimServer, EndsWhenItsStdinCloses) {
    test::BeaconSimProcess server({"--model", "basic"});
    ASSERT_FALSE(server.slavePath().empty());
    EXPECT_EQ(server.closeStdin(), 0);
}

TEST_F(BeaconSimServer, RefusesBadArguments) {
    const auto dir = scratchDir();
    const auto bad = dir / "bad.wb1";
    std::ofstream(bad) << "WB13 not an image";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--fault", "sometimes"},
          std::vector<std::string>{"--model", "gold"},
          std::vector<std::string>{"--image", bad.string()},
          std::vector<std::string>{"--image", (dir / "missing.wb1").string()}}) {
        test::BeaconSimProcess server(args);
        EXPECT_TRUE(server.slavePath().empty()) << args[1];
        EXPECT_NE(server.waitExit(), 0) << args[1];
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace wb
