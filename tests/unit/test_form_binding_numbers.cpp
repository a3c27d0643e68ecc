#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

#include "app/form_numbers.h"
#include "config/record_view.h"

namespace wb {
namespace {

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr float kFloatMax = std::numeric_limits<float>::max();

TEST(FormNumbers, IntegerReadsTheLeadingNumber) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"12abc", 12}, {"", 0}, {"abc", 0}, {"  -7", -7}, {"+5", 5}, {"\t\r\n 42", 42},
        {"-", 0}, {"+-5", 0}, {"- 5", 0}, {"0007", 7}, {"3.9", 3}, {"1e3", 1},
        {"2147483647", kIntMax}, {"2147483648", kIntMax}, {"99999999999999999999", kIntMax},
        {"-2147483648", kIntMin}, {"-2147483649", kIntMin}, {"-99999999999999999999", kIntMin},
        {"00000000000000000000000000000012", 12},
    };
    for (const auto& c : cases) EXPECT_EQ(readFormInteger(c.text), c.value) << '"' << c.text << '"';
}

TEST(FormNumbers, DecimalReadsTheLeadingNumberRoundedToFloat) {
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"146.52", 146.52f}, {"146,565", 146.0f}, {"", 0.0f}, {"x1", 0.0f}, {".", 0.0f},
        {"  -2.5", -2.5f}, {"+.5", 0.5f}, {"5.", 5.0f}, {"1e2", 100.0f}, {"1E+2x", 100.0f},
        {"2.5e-1", 0.25f}, {"7e", 7.0f}, {"7e+", 7.0f}, {"1.2.3", 1.2f}, {"inf", 0.0f},
        {"nan", 0.0f}, {"0x10", 0.0f}, {"1e-999", 0.0f},
        {"1e999", kFloatMax}, {"-1e999", -kFloatMax}, {"1e39", kFloatMax}, {"-4e38", -kFloatMax},
        {"3.4028235e38", kFloatMax},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(readFormDecimal(c.text)), std::bit_cast<std::uint32_t>(c.value))
            << '"' << c.text << '"';
    }
}

TEST(FormNumbers, DecimalRoundsThroughDoubleToTheNearestFloat) {
    // 146.565 is the factory frequency's text; it must give that very float.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(readFormDecimal("146.565")), 0x431290A4u);
    // Long digit strings are read exactly, not digit by digit in floats.
    EXPECT_EQ(readFormDecimal("0.1000000000000000055511151231257827"), 0.1f);
    EXPECT_EQ(readFormDecimal(std::string(60, '9')), kFloatMax);
}

TEST(FormNumbers, IntegerTexts) {
    EXPECT_EQ(shownInteger(recordField("morseTone"), 0), "0");
    EXPECT_EQ(shownInteger(recordField("morseTone"), -15), "-15");
    EXPECT_EQ(shownInteger(recordField("morseTone"), kIntMin), "-2147483648");
    const struct {
        std::int32_t value;
        const char* text;
    } codes[] = {{7, "0007"}, {0, "0000"}, {5862, "5862"}, {10000, "10000"}, {-7, "-007"},
                 {-1234, "-1234"}, {kIntMax, "2147483647"}};
    for (const auto& c : codes) EXPECT_EQ(shownInteger(recordField("unlockCode"), c.value), c.text) << c.value;
}

TEST(FormNumbers, DecimalTextsKeepThreeDecimalsAndFitTheField) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {std::bit_cast<float>(0x431290A4u), "146.565"}, {146.52f, "146.520"}, {0.0f, "0.000"},
        {-0.0f, "-0.000"}, {-2.5f, "-2.500"}, {0.0005f, "0.001"}, {1e14f, "100000000376832.000"},
        {-1e13f, "-9999999827968.000"},
        // From here the fixed text would pass 19 characters.
        {1e15f, "999999986991104.000"}, {1.0000001e15f, "1.00000012e+15"}, {-1e14f, "-1.00000000e+14"}, {kFloatMax, "3.40282347e+38"},
        {-kFloatMax, "-3.40282347e+38"},
        {std::numeric_limits<float>::infinity(), "inf"}, {-std::numeric_limits<float>::infinity(), "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    for (const auto& c : cases) {
        const std::string text = shownDecimal(c.value);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(text.size(), kMaxNumberText) << text;
    }
}

TEST(FormNumbers, HugeValuesShownReadBackUnchanged) {
    for (float value : {1e15f, -1e14f, 123456789e20f, kFloatMax, -kFloatMax}) {
        EXPECT_EQ(readFormDecimal(shownDecimal(value)), value) << value;
    }
}

}  // namespace
}  // namespace wb
