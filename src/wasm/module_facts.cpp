// The page's facts (module_session.cpp has the buffers and the rest): the
// line, the file names, the models, how a flag is shown and what the Morse
// field makes of a typed text, so that the page states none of them.

#include <cstdint>
#include <string>

#include "app/morse_field.h"
#include "wasm/module_interface.h"
#include "wasm/page_facts.h"
#include "wasm/page_json.h"

namespace {

using namespace wb;
using module::give;

}  // namespace

// {"baudRate":..,"dataBits":..,"stopBits":..,"parity":..,"flowControl":..},
// as Web Serial's open takes it.
WB_EXPORT(wb_line_settings) std::uint32_t wbLineSettings() { return give(asciiJson(lineSettingsJson())); }
WB_EXPORT(wb_file_names) std::uint32_t wbFileNames() { return give(asciiJson(fileNamesJson())); }
// [{"code":..,"name":..,"title":..}], in the Model selector's order.
WB_EXPORT(wb_models) std::uint32_t wbModels() { return give(asciiJson(modelsJson())); }
// [off, on].
WB_EXPORT(wb_flag_texts) std::uint32_t wbFlagTexts() { return give(asciiJson(flagTextsJson())); }
// 256 bytes: what the Morse field stores for each byte typed.
WB_EXPORT(wb_morse_typed_bytes) std::uint32_t wbMorseTypedBytes() {
    std::string table(256, '\0');
    for (unsigned c = 0; c < 256; ++c) table[c] = static_cast<char>(typedMorseByte(static_cast<unsigned char>(c)));
    return give(table);
}

