#pragma once

#include <cstdint>

namespace wb {

// The beacon generation, as told by its answer to the version request.
// Only the identification changes it, and only to a model of the model
// table (model_table.h), whose rows these codes are; they are stored in
// .wb1 files.
enum class DeviceModel : std::int32_t {
    None = 0,
    Basic = 1,
    Tarsel = 2,
};

}  // namespace wb
