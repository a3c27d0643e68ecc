#pragma once

#include <cstdint>

namespace wb {

// The beacon generation, as told by its answer to the version request.
// Only the identification changes it, and only to the code of a row of the
// model table (image/model_table.h); the record's list of models
// (record_models.h) names the codes. They are stored in .wb1 files.
enum class DeviceModel : std::int32_t {
    None = 0,
};

}  // namespace wb
