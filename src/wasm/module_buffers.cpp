// The module's one buffer each way for bytes and text. The page writes its
// input into wb_buffer(n) and calls the function that takes it; a function
// that returns text or bytes puts them at wb_result() and returns their
// count, valid until the next such call.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wasm/module_interface.h"

namespace {

std::vector<std::uint8_t> input;
std::string result;

}  // namespace

namespace wb::module {

std::string_view inputText(std::uint32_t length) {
    return {reinterpret_cast<const char*>(input.data()), std::min<std::size_t>(length, input.size())};
}

std::span<const std::uint8_t> inputBytes(std::uint32_t length) {
    return {input.data(), std::min<std::size_t>(length, input.size())};
}

std::uint32_t give(std::string text) {
    result = std::move(text);
    return static_cast<std::uint32_t>(result.size());
}

}  // namespace wb::module

WB_EXPORT(wb_buffer) std::uint8_t* wbBuffer(std::uint32_t size) {
    input.resize(size);
    return input.data();
}
WB_EXPORT(wb_result) const char* wbResult() { return result.data(); }
