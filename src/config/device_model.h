#pragma once

#include <cstdint>

namespace wb {

// The beacon generation, as told by its answer to the version request.
// Only the identification changes it, and only to the code of a row of the
// model table (model_table.h), which names the codes; they are stored in
// .wb1 files.
enum class DeviceModel : std::int32_t {
    None = 0,
};

}  // namespace wb
