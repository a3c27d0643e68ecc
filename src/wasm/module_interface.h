#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/device_model.h"

// Marks a function the WebAssembly module exports to the page by this name.
#define WB_EXPORT(name) extern "C" [[clang::export_name(#name)]]

namespace wb {
class PageSession;
}

namespace wb::module {

// The page's one session: its form, exchange and port.
PageSession& session();

// What every part of the module's interface shares: the page writes its
// input into wb_buffer(n); a function that returns text or bytes leaves
// them at wb_result() and returns their count.
// Both give at most what the page wrote.
std::string_view inputText(std::uint32_t length);
std::span<const std::uint8_t> inputBytes(std::uint32_t length);
std::uint32_t give(std::string text);

// The label of the plan's "allow the same text" check box, which the
// plan's refusals name.
std::string_view planSameTextLabel();

}  // namespace wb::module
