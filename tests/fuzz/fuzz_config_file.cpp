// Hostile .wb1 contents through the loader with every model, and hostile
// JSON records and --set values through the record parsers. Any crash,
// sanitizer report or broken invariant (abort) is a finding.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "config/record_json.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "image/image_texts.h"
#include "image/model_table.h"

namespace {

using namespace wb;

void require(bool condition) {
    if (!condition) std::abort();
}

// The file's bytes in memory: no disk in the loop. The handle is only a
// token the loader passes back; it is never used as a real FILE.
class MemoryFile final : public FileOps {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::FILE* open(const std::string&, OpenMode mode) override {
        require(mode == OpenMode::Read && !open_);
        open_ = true;
        position_ = 0;
        return reinterpret_cast<std::FILE*>(this);
    }
    std::size_t read(std::FILE* file, void* buffer, std::size_t count) override {
        require(open_ && file == reinterpret_cast<std::FILE*>(this));
        const std::size_t n = std::min(count, size_ - position_);
        if (n > 0) std::memcpy(buffer, data_ + position_, n);
        position_ += n;
        return n;
    }
    std::size_t write(std::FILE*, const void*, std::size_t) override {
        std::abort();  // a load never writes
    }
    bool flush(std::FILE*) override { std::abort(); }
    bool sync(std::FILE*) override { std::abort(); }
    bool close(std::FILE* file) override {
        require(open_ && file == reinterpret_cast<std::FILE*>(this));
        open_ = false;
        return true;
    }
    bool inspect(const std::string&, SaveTarget&) override { std::abort(); }
    std::FILE* createTemporary(const SaveTarget&, std::string&) override { std::abort(); }
    bool replace(const std::string&, const SaveTarget&) override { std::abort(); }
    bool placeNew(const std::string&, const SaveTarget&) override { std::abort(); }
    bool syncFolder(const SaveTarget&) override { std::abort(); }
    bool remove(const std::string&) override { std::abort(); }

    bool isOpen() const { return open_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool open_ = false;
};

void fuzzLoad(const std::uint8_t* data, std::size_t size, DeviceModel model) {
    BeaconDevice device;
    device.config.model = model;
    device.images.incomingImage.fill(0xC3);
    device.images.receivedLength = 3;
    const BeaconDevice before = device;

    MemoryFile file(data, size);
    loadConfigFile(device, "fuzz.wb1", file);
    require(!file.isOpen());

    const std::string& status = device.statusText;
    if (status == file_text::kFileLoaded || status == image_text::kReadVersionFirst) {
        require(size >= kConfigFileSize);
        require(status == (model == DeviceModel::None ? image_text::kReadVersionFirst : file_text::kFileLoaded));
        require(device.images.receivedLength == 256);
        require(std::equal(device.images.incomingImage.begin(), device.images.incomingImage.end(), data + 8));
        if (model == DeviceModel::None) require(device.config == before.config);
    } else {
        require(status == file_text::kInvalidFileFormat || status == file_text::kFailedToReadData);
        require(status == file_text::kInvalidFileFormat || size < kConfigFileSize);
        require(device.config == before.config);
        require(device.images.incomingImage == before.images.incomingImage);
        require(device.images.receivedLength == before.images.receivedLength);
    }
    require(device.images.outgoingImage == before.images.outgoingImage);
}

void fuzzJson(std::string_view text) {
    DeviceConfig config;
    if (applyJsonText(text, config)) {
        require(config == DeviceConfig{});  // a rejected record changes nothing
        return;
    }
    // Whatever was taken prints as JSON that reads back to the same JSON.
    const std::string printed = recordToJsonText(config);
    DeviceConfig again = config;
    require(!applyJsonText(printed, again));
    require(recordToJsonText(again) == printed);
}

void fuzzSetting(std::string_view text) {
    DeviceConfig config;
    if (applySetting(text, config)) {
        require(config == DeviceConfig{});
        return;
    }
    require(config.toneCount >= 0 && config.toneCount <= 200);
    // Nothing taken is cut by a 0 byte on the beacon.
    require(config.morseText.find('\0') == std::string::npos);
    require(std::find(config.tones.begin(), config.tones.begin() + config.toneCount, 0) ==
            config.tones.begin() + config.toneCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    switch (mode % 5) {
    case 0: fuzzLoad(data, size, DeviceModel::None); break;
    case 1: fuzzLoad(data, size, kBasicModel); break;
    case 2: fuzzLoad(data, size, kTarselModel); break;
    case 3: fuzzJson(std::string_view(reinterpret_cast<const char*>(data), size)); break;
    default: fuzzSetting(std::string_view(reinterpret_cast<const char*>(data), size)); break;
    }
    return 0;
}
