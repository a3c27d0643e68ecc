#include "wasm/page_json.h"

#include "config/record_text.h"

namespace wb {

nlohmann::ordered_json latin1Json(std::string_view bytes) { return bytesToUtf8(bytes); }

std::string asciiJson(const nlohmann::ordered_json& doc) {
    return doc.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

}  // namespace wb
