#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

enum class Step { None, Inspect, Create, Write1, Write2, Write3, Flush, Sync, Close, Replace, SyncFolder };

// The real file calls, with one chosen step failing the way a full disk or
// a locked file makes it fail. Counts opens and closes to catch a leak.
class FaultyFiles : public FileOps {
public:
    explicit FaultyFiles(Step failing = Step::None) : failing_(failing) {}

    std::FILE* open(const std::string& path, OpenMode mode) override {
        ++opens;
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
    bool sync(std::FILE* file) override { return real_.sync(file) && failing_ != Step::Sync; }
    bool close(std::FILE* file) override {
        ++closes;
        return real_.close(file) && failing_ != Step::Close;
    }
    bool inspect(const std::string& path, SaveTarget& target) override {
        return failing_ != Step::Inspect && real_.inspect(path, target);
    }
    std::FILE* createTemporary(const SaveTarget& target, std::string& temporaryPath) override {
        if (failing_ == Step::Create) return nullptr;
        std::FILE* file = real_.createTemporary(target, temporaryPath);
        ++opens;
        temporaries.push_back(temporaryPath);
        return file;
    }
    bool replace(const std::string& from, const SaveTarget& target) override {
        return failing_ != Step::Replace && real_.replace(from, target);
    }
    bool placeNew(const std::string& from, const SaveTarget& target) override {
        if (beforePlace) beforePlace();
        return failing_ != Step::Replace && real_.placeNew(from, target);
    }
    bool syncFolder(const SaveTarget& target) override {
        return real_.syncFolder(target) && failing_ != Step::SyncFolder;
    }
    bool remove(const std::string& path) override { return real_.remove(path); }

    int opens = 0;
    int writes = 0;
    int closes = 0;
    std::vector<std::string> temporaries;
    // Another program, just before a new file takes its name.
    std::function<void()> beforePlace;

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
    c.model = kTarselModel;
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
    for (DeviceModel model : {kBasicModel, kTarselModel}) {
        TempDir dir;
        const std::string path = dir.file("beacon.wb1");
        writeBytes(path, std::vector<std::uint8_t>(1000, 0xEE));  // longer than a save
        BeaconDevice device;
        device.config = tarselRecord();
        device.config.model = model;
        saveConfigFile(device, path, CodecContext{});
        EXPECT_EQ(device.statusText, file_text::kFileSaved);
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
        {Step::None, Outcome::FileSaved, file_text::kFileSaved},
        {Step::Inspect, Outcome::FailedToOpenFile, file_text::kFailedToOpenFile},
        {Step::Create, Outcome::FailedToOpenFile, file_text::kFailedToOpenFile},
        {Step::Write1, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Write2, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Write3, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Flush, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Sync, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Close, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        {Step::Replace, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
        // The new file is in place, but not known to be on the disk.
        {Step::SyncFolder, Outcome::FailedToWriteData, file_text::kFailedToWriteData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        const bool replaced = c.step == Step::None || c.step == Step::SyncFolder;
        const bool created = c.step != Step::Inspect && c.step != Step::Create;
        for (bool previousExists : {true, false}) {
            TempDir dir;
            const std::string path = dir.file("keep.wb1");
            const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
            if (previousExists) writeBytes(path, previous);

            BeaconDevice device;
            device.config.model = kTarselModel;
            FaultyFiles files(c.step);
            saveConfigFile(device, path, CodecContext{}, files);

            EXPECT_EQ(device.statusText, c.status);
            EXPECT_EQ(device.outcome, c.outcome);
            // One temporary of its own name beside the target, gone after.
            ASSERT_EQ(files.temporaries.size(), created ? 1u : 0u);
            if (created) {
                EXPECT_EQ(std::filesystem::path(files.temporaries[0]).parent_path(), dir.path());
                EXPECT_NE(files.temporaries[0], path);
                EXPECT_NE(files.temporaries[0], path + ".tmp");
            }
            if (replaced) {
                EXPECT_EQ(readBytes(path), fileWith(device.images.outgoingImage));
            } else if (previousExists) {
                EXPECT_EQ(readBytes(path), previous);
            }
            EXPECT_EQ(dir.entries(), replaced || previousExists ? std::vector<std::string>{"keep.wb1"}
                                                                : std::vector<std::string>{});
            EXPECT_EQ(files.closes, files.opens);
            // The image was built before the file was opened.
            EXPECT_EQ(device.images.outgoingImage, encoded(device.config));
        }
    }
}

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

// Root may open any file for writing; a read-only file is only read-only to
// an ordinary user. As root, the save runs in a child process as nobody.
std::string_view saveAsUser(const std::string& path, const ConfigImage& image) {
    const std::string_view texts[] = {file_text::kFileSaved, file_text::kFailedToOpenFile, file_text::kFailedToWriteData};
    if (::geteuid() != 0) return fileOutcomeText(saveImageFile(path, image));
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(9);
        const std::string_view status = fileOutcomeText(saveImageFile(path, image));
        for (int i = 0; i < 3; ++i) {
            if (status == texts[i]) ::_exit(i);
        }
        ::_exit(8);
    }
    int result = 0;
    ::waitpid(child, &result, 0);
    const int code = WIFEXITED(result) ? WEXITSTATUS(result) : 9;
    return code < 3 ? texts[code] : "child failed";
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}
#endif

// Each way a save could destroy or misplace a file, against the real disk.
TEST(ConfigFileSave, NeverLosesOrMisplacesAFile) {
    using Action = std::function<void(const TempDir&, const std::string&)>;
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const struct {
        const char* name;
        Action setup;
        std::string_view status;
        Action check;
        bool asUser = false;
    } cases[] = {
        {"a user's own .tmp file is left alone",
         [&](const TempDir&, const std::string& path) {
             writeBytes(path, old);
             test::writeText(path + ".tmp", "mine");
         },
         file_text::kFileSaved,
         [](const TempDir& dir, const std::string& path) {
             EXPECT_EQ(readBytes(path + ".tmp"), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
             EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.wb1", "out.wb1.tmp"}));
         }},
        {"a folder is refused",
         [](const TempDir&, const std::string& path) { std::filesystem::create_directory(path); },
         file_text::kFailedToOpenFile,
         [](const TempDir& dir, const std::string& path) {
             EXPECT_TRUE(std::filesystem::is_directory(path));
             EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wb1"});
         }},
#ifdef _WIN32
        {"a read-only file is refused",
         [&](const TempDir&, const std::string& path) {
             writeBytes(path, old);
             std::filesystem::permissions(path, std::filesystem::perms::owner_read);
         },
         file_text::kFailedToOpenFile,
         [&](const TempDir& dir, const std::string& path) {
             EXPECT_EQ(readBytes(path), old);
             EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wb1"});
             std::filesystem::permissions(path, std::filesystem::perms::all);
         }},
#else
        {"a read-only file is refused, though its folder is writable",
         [&](const TempDir& dir, const std::string& path) {
             writeBytes(path, old);
             ::chmod(dir.path().c_str(), 0777);
             ::chmod(path.c_str(), 0444);
         },
         file_text::kFailedToOpenFile,
         [&](const TempDir& dir, const std::string& path) {
             EXPECT_EQ(readBytes(path), old);
             EXPECT_EQ(modeOf(path) & 07777, 0444u);
             EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wb1"});
         },
         true},
        {"the permission bits and the owner are kept",
         [&](const TempDir&, const std::string& path) {
             writeBytes(path, old);
             ::chmod(path.c_str(), 0640);
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
             }
         },
         file_text::kFileSaved,
         [](const TempDir&, const std::string& path) {
             EXPECT_EQ(modeOf(path), S_IFREG | 0640u);
             struct stat st {};
             ::stat(path.c_str(), &st);
             if (::geteuid() == 0) {
                 EXPECT_EQ(st.st_uid, kNobody);
             }
         }},
        {"a new file gets the umask's bits, not mkstemp's 0600",
         [](const TempDir&, const std::string&) {}, file_text::kFileSaved,
         [](const TempDir&, const std::string& path) {
             const mode_t mask = ::umask(0);
             ::umask(mask);
             EXPECT_EQ(modeOf(path) & 0777, 0666u & ~mask);
         }},
        {"a symbolic link keeps pointing at the saved file",
         [&](const TempDir& dir, const std::string& path) {
             std::filesystem::create_directory(dir.file("sub"));
             writeBytes(dir.file("sub/real.wb1"), old);
             std::filesystem::create_symlink("sub/real.wb1", path);
         },
         file_text::kFileSaved,
         [](const TempDir& dir, const std::string& path) {
             ASSERT_TRUE(std::filesystem::is_symlink(path));
             EXPECT_EQ(std::filesystem::read_symlink(path), "sub/real.wb1");
             EXPECT_EQ(readBytes(dir.file("sub/real.wb1")).size(), kConfigFileSize);
             EXPECT_EQ(dir.entries(), (std::vector<std::string>{"out.wb1", "sub"}));
         }},
        {"a .tmp link is never followed",
         [&](const TempDir& dir, const std::string& path) {
             writeBytes(path, old);
             test::writeText(dir.file("victim.txt"), "victim");
             std::filesystem::create_symlink("victim.txt", path + ".tmp");
         },
         file_text::kFileSaved,
         [](const TempDir& dir, const std::string& path) {
             EXPECT_EQ(readBytes(dir.file("victim.txt")).size(), 6u);
             EXPECT_TRUE(std::filesystem::is_symlink(path + ".tmp"));
         }},
        {"a FIFO without a reader is refused at once, not replaced",
         [](const TempDir&, const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); },
         file_text::kFailedToOpenFile,
         [](const TempDir& dir, const std::string& path) {
             EXPECT_TRUE(S_ISFIFO(modeOf(path)));
             EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wb1"});
         }},
        {"a device node is written in place or refused, never replaced",
         [](const TempDir&, const std::string& path) {
             // The null device's numbers; only root may make the node.
             if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
                 ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
             }
         },
         {},
         [](const TempDir& dir, const std::string& path) {
             EXPECT_FALSE(S_ISREG(modeOf(path)));
             EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.wb1"});
         }},
#endif
    };
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("out.wb1");
        c.setup(dir, path);
#ifndef _WIN32
        const std::string_view status = c.asUser ? saveAsUser(path, image) : fileOutcomeText(saveImageFile(path, image));
#else
        const std::string_view status = fileOutcomeText(saveImageFile(path, image));
#endif
        if (!c.status.empty()) {
            EXPECT_EQ(status, c.status);
        }
        if (status == file_text::kFileSaved && std::filesystem::is_regular_file(path)) {
            EXPECT_EQ(readBytes(path), fileWith(image));
        }
        c.check(dir, path);
    }
}

// A backup takes a name only while nothing holds it, whenever that
// something came.
TEST(ConfigFileSave, ABackupNeverTakesANameInUse) {
    using Make = std::function<void(const TempDir&, const std::string&)>;
    const std::vector<std::uint8_t> other = {'o', 't', 'h', 'e', 'r'};
    const Make nothing = [](const TempDir&, const std::string&) {};
    const Make file = [&](const TempDir&, const std::string& path) { writeBytes(path, other); };
    const struct {
        const char* name;
        Make before;  // before the save
        Make during;  // once the backup is written, before it takes the name
        bool saved;
    } cases[] = {
        {"a free name", nothing, nothing, true},
        {"a file there from the start", file, nothing, false},
        {"a file made there while saving", nothing, file, false},
#ifndef _WIN32
        {"a link to nowhere made there while saving", nothing,
         [](const TempDir& dir, const std::string& path) {
             std::filesystem::create_symlink(dir.file("elsewhere.wb1"), path);
         },
         false},
#endif
    };
    ConfigImage image{};
    image.fill(0x5C);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("MOE-before.wb1");
        c.before(dir, path);
        FaultyFiles files;
        files.beforePlace = [&] { c.during(dir, path); };
        int cause = 0;
        const Outcome outcome = saveNewImageFile(path, image, files, &cause);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"MOE-before.wb1"});
        EXPECT_EQ(files.closes, files.opens);
        if (c.saved) {
            EXPECT_EQ(outcome, Outcome::FileSaved);
            EXPECT_EQ(readBytes(path), fileWith(image));
            continue;
        }
        EXPECT_EQ(outcome, Outcome::FailedToWriteData);
        EXPECT_EQ(cause, EEXIST);
        if (std::filesystem::is_symlink(path)) {
            EXPECT_FALSE(std::filesystem::exists(dir.file("elsewhere.wb1")));
        } else {
            EXPECT_EQ(readBytes(path), other);
        }
    }
}

#ifndef _WIN32
TEST(ConfigFileSave, AFifoWithAReaderGetsTheBytes) {
    TempDir dir;
    const std::string path = dir.file("pipe.wb1");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    const int reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ConfigImage image{};
    image.fill(0x42);
    EXPECT_EQ(saveImageFile(path, image), Outcome::FileSaved);
    std::vector<std::uint8_t> got(kConfigFileSize + 1);
    EXPECT_EQ(::read(reader, got.data(), got.size()), static_cast<ssize_t>(kConfigFileSize));
    got.resize(kConfigFileSize);
    EXPECT_EQ(got, fileWith(image));
    ::close(reader);
    EXPECT_TRUE(S_ISFIFO(modeOf(path)));
}
#endif

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
        EXPECT_EQ(device.statusText, image_text::kReadVersionFirst);
        EXPECT_EQ(files.opens, 0);
        EXPECT_TRUE(files.temporaries.empty());
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
    device.config.model = kTarselModel;
    device.config.morseText = std::string(200, 'E');
    int notices = 0;
    saveConfigFile(device, path, CodecContext{false, [&notices] { ++notices; }});
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(device.statusText, file_text::kFileSaved);
    EXPECT_EQ(device.config.morseText, std::string(200, 'E'));  // not decoded back
    EXPECT_EQ(readBytes(path), fileWith(device.images.outgoingImage));
}

TEST(ConfigFileSave, MissingFolder) {
    TempDir dir;
    BeaconDevice device;
    device.config.model = kBasicModel;
    saveConfigFile(device, dir.file("no-such-folder/x.wb1"), CodecContext{});
    EXPECT_EQ(device.statusText, file_text::kFailedToOpenFile);
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
        {"exact", fileWith(image), Outcome::FileLoaded, file_text::kFileLoaded},
        {"lower-case magic", fileWith(image, 256, header(256, "wb14")), Outcome::FileLoaded, file_text::kFileLoaded},
        {"mixed-case magic", fileWith(image, 256, header(256, "wB14")), Outcome::FileLoaded, file_text::kFileLoaded},
        {"300 bytes", fileWith(image, 292), Outcome::FileLoaded, file_text::kFileLoaded},
        {"other magic", fileWith(image, 256, header(256, "WB15")), Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"NUL in magic", nulInMagic, Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"length 255", fileWith(image, 256, header(255)), Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"length 257", fileWith(image, 256, header(257)), Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"length 65536", fileWith(image, 256, header(65536)), Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"empty", {}, Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"7 bytes", {'W', 'B', '1', '4', 0, 1, 0}, Outcome::InvalidFileFormat, file_text::kInvalidFileFormat},
        {"header only", header(), Outcome::FailedToReadData, file_text::kFailedToReadData},
        {"100 bytes", fileWith(image, 92), Outcome::FailedToReadData, file_text::kFailedToReadData},
        {"263 bytes", fileWith(image, 255), Outcome::FailedToReadData, file_text::kFailedToReadData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("in.wb1");
        writeBytes(path, c.bytes);
        BeaconDevice device = primedDevice(kTarselModel);
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
    EXPECT_EQ(device.statusText, image_text::kReadVersionFirst);
    EXPECT_EQ(device.config, before);
    EXPECT_EQ(device.images.incomingImage, image);
    EXPECT_EQ(device.images.receivedLength, 256);
}

TEST(ConfigFileLoad, MissingFile) {
    TempDir dir;
    BeaconDevice device = primedDevice(kBasicModel);
    const BeaconDevice before = device;
    loadConfigFile(device, dir.file("absent.wb1"));
    EXPECT_EQ(device.statusText, file_text::kFailedToOpenFile);
    expectUnchangedButStatus(before, device);
}

TEST(ConfigFile, SaveThenLoadGivesWhatTheLayoutStores) {
    for (DeviceModel model : {kBasicModel, kTarselModel}) {
        TempDir dir;
        const std::string path = dir.file("round.wb1");
        BeaconDevice saver;
        saver.config = tarselRecord();
        saver.config.model = model;
        saver.config.morseSpeedWpm = 25;
        saver.config.txFrequencyMHz = 144.1234f;
        saveConfigFile(saver, path, CodecContext{});
        ASSERT_EQ(saver.statusText, file_text::kFileSaved);

        BeaconDevice loader;
        loader.config.model = model;
        loader.config.rxFrequencyMHz = 1.0f;
        loader.config.ledEnabled = 0;
        loadConfigFile(loader, path);
        EXPECT_EQ(loader.statusText, file_text::kFileLoaded);

        // The same as decoding the saved image directly.
        BeaconDevice direct;
        direct.config = loader.config;
        direct.images.incomingImage = saver.images.outgoingImage;
        direct.images.receivedLength = 256;
        decodeImage(direct);
        EXPECT_EQ(loader.config, direct.config);
        EXPECT_EQ(loader.config.unlockCode, model == kTarselModel ? 1234 : 5862);
        EXPECT_EQ(loader.config.rxFrequencyMHz, model == kTarselModel ? saver.config.rxFrequencyMHz : 1.0f);
        EXPECT_EQ(loader.config.ledEnabled, model == kBasicModel ? 1 : 0);
        EXPECT_EQ(loader.config.morseText, " TEST ");
    }
}

}  // namespace
}  // namespace wb
