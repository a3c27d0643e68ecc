#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file/config_file.h"
#include "file/file_texts.h"
#include "image/image_texts.h"
#include "image/model_dispatch.h"
#include "support/temp_dir.h"

namespace wb {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

enum class Step { None, Open, Write1, Write2, Write3, Flush, Close, Replace };

// The real file calls, with one chosen step failing the way a full disk or
// a locked file makes it fail. Counts opens and closes to catch a leak.
class FaultyFiles : public FileOps {
public:
    explicit FaultyFiles(Step failing = Step::None) : failing_(failing) {}

    std::FILE* open(const std::string& path, OpenMode mode) override {
        ++opens;
        openedPaths.push_back(path);
        if (failing_ == Step::Open) return nullptr;
        return real_.open(path, mode);
    }
    std::size_t read(std::FILE* file, void* buffer, std::size_t count) override {
        return real_.read(file, buffer, count);
    }
    std::size_t write(std::FILE* file, const void* data, std::size_t count) override {
        ++writes;
        const bool fail = (failing_ == Step::Write1 && writes == 1) || (failing_ == Step::Write2 && writes == 2) ||
                          (failing_ == Step::Write3 && writes == 3);
        // A short write: part of the data went out.
        return real_.write(file, data, fail ? count / 2 : count);
    }
    bool flush(std::FILE* file) override { return real_.flush(file) && failing_ != Step::Flush; }
    bool close(std::FILE* file) override {
        ++closes;
        return real_.close(file) && failing_ != Step::Close;
    }
    bool replace(const std::string& from, const std::string& to) override {
        return failing_ != Step::Replace && real_.replace(from, to);
    }
    bool remove(const std::string& path) override { return real_.remove(path); }

    int opens = 0;
    int writes = 0;
    int closes = 0;
    std::vector<std::string> openedPaths;

private:
    Step failing_;
    FileOps& real_ = systemFileOps();
};

std::vector<std::uint8_t> header(std::uint32_t length = 256, const std::string& magic = "WB14") {
    std::vector<std::uint8_t> bytes(magic.begin(), magic.end());
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(length >> shift));
    return bytes;
}

std::vector<std::uint8_t> fileWith(const ConfigImage& image, std::size_t imageBytes = kImageSize,
                                   const std::vector<std::uint8_t>& head = header()) {
    std::vector<std::uint8_t> bytes = head;
    for (std::size_t i = 0; i < imageBytes; ++i) bytes.push_back(image[i % kImageSize]);
    return bytes;
}

// A recognisable Tarsel image: the factory record with a few changes.
DeviceConfig tarselRecord() {
    DeviceConfig c;
    c.model = DeviceModel::Tarsel;
    c.morseText = " TEST ";
    c.unlockCode = 1234;
    c.toneCount = 5;
    c.autoStart = 1;
    return c;
}

ConfigImage encoded(const DeviceConfig& config) {
    BeaconDevice device;
    device.config = config;
    encodeForModel(device, CodecContext{});
    return device.images.outgoingImage;
}

// A device whose every loadable member holds something a load would change.
BeaconDevice primedDevice(DeviceModel model) {
    BeaconDevice device;
    device.config.model = model;
    device.config.morseText = "KEEP";
    device.config.unlockCode = 4321;
    device.images.incomingImage.fill(0x5A);
    device.images.outgoingImage.fill(0x33);
    device.images.receivedLength = 17;
    device.statusText = "before";
    return device;
}

void expectUnchangedButStatus(const BeaconDevice& before, const BeaconDevice& after) {
    EXPECT_EQ(after.config, before.config);
    EXPECT_EQ(after.images.incomingImage, before.images.incomingImage);
    EXPECT_EQ(after.images.outgoingImage, before.images.outgoingImage);
    EXPECT_EQ(after.images.receivedLength, before.images.receivedLength);
}

TEST(ConfigFileSave, WritesTheHeaderAndTheFreshImage) {
    for (DeviceModel model : {DeviceModel::Basic, DeviceModel::Tarsel}) {
        TempDir dir;
        const std::string path = dir.file("beacon.wb1");
        writeBytes(path, std::vector<std::uint8_t>(1000, 0xEE));  // longer than a save
        BeaconDevice device;
        device.config = tarselRecord();
        device.config.model = model;
        saveConfigFile(device, path, CodecContext{});
        EXPECT_EQ(device.statusText, kFileSavedText);
        EXPECT_EQ(device.outcome, Outcome::FileSaved);

        const ConfigImage image = encoded(device.config);
        EXPECT_EQ(device.images.outgoingImage, image);
        const auto bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), kConfigFileSize);
        EXPECT_EQ(bytes, fileWith(image));
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"beacon.wb1"});
    }
}

TEST(ConfigFileSave, FailureAtAnyStepKeepsThePreviousFile) {
    const struct {
        Step step;
        Outcome outcome;
        std::string_view status;
    } cases[] = {
        {Step::Open, Outcome::FailedToOpenFile, kFailedToOpenFileText},
        {Step::Write1, Outcome::FailedToWriteData, kFailedToWriteDataText},
        {Step::Write2, Outcome::FailedToWriteData, kFailedToWriteDataText},
        {Step::Write3, Outcome::FailedToWriteData, kFailedToWriteDataText},
        {Step::Flush, Outcome::FailedToWriteData, kFailedToWriteDataText},
        {Step::Close, Outcome::FailedToWriteData, kFailedToWriteDataText},
        {Step::Replace, Outcome::FailedToWriteData, kFailedToWriteDataText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        for (bool previousExists : {true, false}) {
            TempDir dir;
            const std::string path = dir.file("keep.wb1");
            const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
            if (previousExists) writeBytes(path, previous);

            BeaconDevice device;
            device.config.model = DeviceModel::Tarsel;
            FaultyFiles files(c.step);
            saveConfigFile(device, path, CodecContext{}, files);

            EXPECT_EQ(device.statusText, c.status);
            EXPECT_EQ(device.outcome, c.outcome);
            // Nothing written to the real name; the temporary is gone.
            ASSERT_EQ(files.openedPaths.size(), 1u);
            EXPECT_NE(files.openedPaths[0], path);
            EXPECT_EQ(std::filesystem::path(files.openedPaths[0]).parent_path(), dir.path());
            if (previousExists) {
                EXPECT_EQ(readBytes(path), previous);
                EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.wb1"});
            } else {
                EXPECT_TRUE(dir.entries().empty());
            }
            EXPECT_EQ(files.closes, c.step == Step::Open ? 0 : 1);
            // The image was built before the file was opened.
            EXPECT_EQ(device.images.outgoingImage, encoded(device.config));
        }
    }
}

TEST(ConfigFileSave, WithoutAModelCreatesNothing) {
    TempDir dir;
    const std::string existing = dir.file("existing.wb1");
    writeBytes(existing, {1, 2, 3});
    for (const std::string& path : {existing, dir.file("new.wb1")}) {
        BeaconDevice device = primedDevice(DeviceModel::None);
        const BeaconDevice before = device;
        FaultyFiles files;
        int notices = 0;
        saveConfigFile(device, path, CodecContext{false, [&notices] { ++notices; }}, files);
        EXPECT_EQ(device.statusText, kReadVersionFirstText);
        EXPECT_EQ(files.opens, 0);
        EXPECT_EQ(notices, 0);
        expectUnchangedButStatus(before, device);
    }
    EXPECT_EQ(readBytes(existing), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"existing.wb1"});
}

TEST(ConfigFileSave, TruncationIsShownAndTheShortImageSaved) {
    TempDir dir;
    const std::string path = dir.file("long.wb1");
    BeaconDevice device;
    device.config.model = DeviceModel::Tarsel;
    device.config.morseText = std::string(200, 'E');
    int notices = 0;
    saveConfigFile(device, path, CodecContext{false, [&notices] { ++notices; }});
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(device.statusText, kFileSavedText);
    EXPECT_EQ(device.config.morseText, std::string(200, 'E'));  // not decoded back
    EXPECT_EQ(readBytes(path), fileWith(device.images.outgoingImage));
}

TEST(ConfigFileSave, MissingFolder) {
    TempDir dir;
    BeaconDevice device;
    device.config.model = DeviceModel::Basic;
    saveConfigFile(device, dir.file("no-such-folder/x.wb1"), CodecContext{});
    EXPECT_EQ(device.statusText, kFailedToOpenFileText);
}

TEST(ConfigFileLoad, FileContents) {
    const ConfigImage image = encoded(tarselRecord());
    std::vector<std::uint8_t> nulInMagic = fileWith(image);
    nulInMagic[3] = 0;
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
        Outcome outcome;
        std::string_view status;
    } cases[] = {
        {"exact", fileWith(image), Outcome::FileLoaded, kFileLoadedText},
        {"lower-case magic", fileWith(image, 256, header(256, "wb14")), Outcome::FileLoaded, kFileLoadedText},
        {"mixed-case magic", fileWith(image, 256, header(256, "wB14")), Outcome::FileLoaded, kFileLoadedText},
        {"300 bytes", fileWith(image, 292), Outcome::FileLoaded, kFileLoadedText},
        {"other magic", fileWith(image, 256, header(256, "WB15")), Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"NUL in magic", nulInMagic, Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"length 255", fileWith(image, 256, header(255)), Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"length 257", fileWith(image, 256, header(257)), Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"length 65536", fileWith(image, 256, header(65536)), Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"empty", {}, Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"7 bytes", {'W', 'B', '1', '4', 0, 1, 0}, Outcome::InvalidFileFormat, kInvalidFileFormatText},
        {"header only", header(), Outcome::FailedToReadData, kFailedToReadDataText},
        {"100 bytes", fileWith(image, 92), Outcome::FailedToReadData, kFailedToReadDataText},
        {"263 bytes", fileWith(image, 255), Outcome::FailedToReadData, kFailedToReadDataText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("in.wb1");
        writeBytes(path, c.bytes);
        BeaconDevice device = primedDevice(DeviceModel::Tarsel);
        const BeaconDevice before = device;
        FaultyFiles files;
        loadConfigFile(device, path, files);
        EXPECT_EQ(device.statusText, c.status);
        EXPECT_EQ(device.outcome, c.outcome);
        EXPECT_EQ(files.closes, 1);
        if (c.outcome == Outcome::FileLoaded) {
            EXPECT_EQ(device.images.incomingImage, image);
            EXPECT_EQ(device.images.receivedLength, 256);
            DeviceConfig expected = tarselRecord();
            expected.ledEnabled = before.config.ledEnabled;  // not in a Tarsel image
            expected.tones = before.config.tones;            // entries after the count stay
            EXPECT_EQ(device.config, expected);
            EXPECT_EQ(device.images.outgoingImage, before.images.outgoingImage);
        } else {
            expectUnchangedButStatus(before, device);
        }
    }
}

TEST(ConfigFileLoad, WithoutAModelKeepsTheImageButNotTheRecord) {
    TempDir dir;
    const std::string path = dir.file("in.wb1");
    const ConfigImage image = encoded(tarselRecord());
    writeBytes(path, fileWith(image));
    BeaconDevice device = primedDevice(DeviceModel::None);
    const DeviceConfig before = device.config;
    loadConfigFile(device, path);
    EXPECT_EQ(device.statusText, kReadVersionFirstText);
    EXPECT_EQ(device.config, before);
    EXPECT_EQ(device.images.incomingImage, image);
    EXPECT_EQ(device.images.receivedLength, 256);
}

TEST(ConfigFileLoad, MissingFile) {
    TempDir dir;
    BeaconDevice device = primedDevice(DeviceModel::Basic);
    const BeaconDevice before = device;
    loadConfigFile(device, dir.file("absent.wb1"));
    EXPECT_EQ(device.statusText, kFailedToOpenFileText);
    expectUnchangedButStatus(before, device);
}

TEST(ConfigFile, SaveThenLoadGivesWhatTheLayoutStores) {
    for (DeviceModel model : {DeviceModel::Basic, DeviceModel::Tarsel}) {
        TempDir dir;
        const std::string path = dir.file("round.wb1");
        BeaconDevice saver;
        saver.config = tarselRecord();
        saver.config.model = model;
        saver.config.morseSpeedWpm = 25;
        saver.config.txFrequencyMHz = 144.1234f;
        saveConfigFile(saver, path, CodecContext{});
        ASSERT_EQ(saver.statusText, kFileSavedText);

        BeaconDevice loader;
        loader.config.model = model;
        loader.config.rxFrequencyMHz = 1.0f;
        loader.config.ledEnabled = 0;
        loadConfigFile(loader, path);
        EXPECT_EQ(loader.statusText, kFileLoadedText);

        // The same as decoding the saved image directly.
        BeaconDevice direct;
        direct.config = loader.config;
        direct.images.incomingImage = saver.images.outgoingImage;
        direct.images.receivedLength = 256;
        decodeImage(direct);
        EXPECT_EQ(loader.config, direct.config);
        EXPECT_EQ(loader.config.unlockCode, model == DeviceModel::Tarsel ? 1234 : 5862);
        EXPECT_EQ(loader.config.rxFrequencyMHz, model == DeviceModel::Tarsel ? saver.config.rxFrequencyMHz : 1.0f);
        EXPECT_EQ(loader.config.ledEnabled, model == DeviceModel::Basic ? 1 : 0);
        EXPECT_EQ(loader.config.morseText, " TEST ");
    }
}

}  // namespace
}  // namespace wb
