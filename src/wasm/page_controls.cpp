#include "wasm/page_controls.h"

namespace wb {

std::string PageControls::text(int id, std::size_t maxChars) {
    const std::string& whole = texts_[id];
    return maxChars == kWholeText ? whole : whole.substr(0, maxChars);
}

bool PageControls::isEnabled(int id) const {
    const auto it = enabled_.find(id);
    return it == enabled_.end() || it->second;
}

}  // namespace wb
