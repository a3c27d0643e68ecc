#pragma once

#include <cstdint>

namespace wb {

// What the last operation on the beacon or a file came to, beside the
// status text that tells the user. Front ends decide on this, never on
// the wording of the text. One value for each text an operation ends with
// (the texts are in the subsystems' *_texts.h).
enum class Outcome : std::int32_t {
    None,  // nothing finished yet, or an operation is under way

    // Read Version, Read Config, Write Config
    VersionRead,  // identified, the port closed
    ConfigRead,
    ConfigWritten,
    PortFailed,  // the port's own failure text
    NotFound,
    Incompatible,
    ModelMismatch,
    ConfigNotRead,
    CorruptedEeprom,
    VerifyFailedSize,
    VerifyFailed,
    ReadVersionFirst,  // no model, so no layout

    // Save and Load
    FileSaved,
    FileLoaded,
    FailedToOpenFile,
    InvalidFileFormat,
    FailedToReadData,
    FailedToWriteData,
};

// True for the outcomes that finish what the user asked for.
constexpr bool isSuccess(Outcome outcome) {
    switch (outcome) {
        case Outcome::VersionRead:
        case Outcome::ConfigRead:
        case Outcome::ConfigWritten:
        case Outcome::FileSaved:
        case Outcome::FileLoaded:
            return true;
        case Outcome::None:
        case Outcome::PortFailed:
        case Outcome::NotFound:
        case Outcome::Incompatible:
        case Outcome::ModelMismatch:
        case Outcome::ConfigNotRead:
        case Outcome::CorruptedEeprom:
        case Outcome::VerifyFailedSize:
        case Outcome::VerifyFailed:
        case Outcome::ReadVersionFirst:
        case Outcome::FailedToOpenFile:
        case Outcome::InvalidFileFormat:
        case Outcome::FailedToReadData:
        case Outcome::FailedToWriteData:
            return false;
    }
    return false;
}

}  // namespace wb
