// The page's facts (module_session.cpp has the buffers and the rest): the
// numbers it compares results with, the exchange's timing, the line, the
// file names, the models, the form's fields and boxes, the texts it shows
// as they are, how a flag is shown and what the Morse field makes of a
// typed text, so that the page states none of them.

#include <cstdint>
#include <string>

#include "app/morse_field.h"
#include "config/codec_context.h"
#include "config/config_image.h"
#include "exchange/device_exchange.h"
#include "exchange/protocol.h"
#include "serial/serial_port.h"
#include "wasm/module_interface.h"
#include "wasm/page_facts.h"
#include "wasm/page_json.h"

namespace {

using namespace wb;
using module::give;

// 256 numbers: what the Morse field stores for each byte typed.
nlohmann::ordered_json morseTypedBytesJson() {
    auto table = nlohmann::ordered_json::array();
    for (unsigned c = 0; c < 256; ++c) table.push_back(typedMorseByte(static_cast<unsigned char>(c)));
    return table;
}

}  // namespace

// One object, read once when the page starts; each member becomes a
// property of the page's Core (page/core.js) by its name.
WB_EXPORT(wb_facts) std::uint32_t wbFacts() {
    nlohmann::ordered_json facts = pageEnumsJson();
    // The exchange's timing, which the page keeps between ticks.
    facts["tickPeriodMs"] = kPollTickMs;
    facts["readTimeoutMs"] = SerialPort::kOneByteReadTimeoutMs;
    facts["drainCap"] = kMaxBytesPerDrain;
    facts["imageSize"] = kImageSize;
    // As Web Serial's open takes it.
    facts["lineSettings"] = lineSettingsJson();
    facts["fileNames"] = fileNamesJson();
    // [{"code":..,"name":..,"title":..}], in the Model selector's order.
    facts["models"] = modelsJson();
    facts["fields"] = formFieldsJson();
    facts["formGroups"] = formGroupsJson();
    // [off, on].
    facts["flagTexts"] = flagTextsJson();
    facts["morseTypedBytes"] = morseTypedBytesJson();
    facts["notice"] = {{"caption", kTruncationCaption}, {"text", kTruncationText}};
    facts["planSameTextLabel"] = module::planSameTextLabel();
    return give(asciiJson(facts));
}
