#pragma once

#include <functional>
#include <string_view>

namespace wb {

// The notice shown when the Morse text or the tone list did not fit. The
// spelling and the two trailing blanks are the beacon software's own text.
inline constexpr std::string_view kTruncationText =
    "The Morse Text or Tones are too long and have been tuncated.  ";
inline constexpr std::string_view kTruncationCaption = "Text/Tones Truncated";

// What the encoders need from outside the record: whether the 144-148 MHz
// limit is lifted (/NOLIMIT), and how to show the truncation notice. The
// callback returns once the user has dismissed the notice.
struct CodecContext {
    bool noLimit = false;
    std::function<void()> showTruncationNotice;
};

}  // namespace wb
