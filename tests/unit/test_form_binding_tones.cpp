#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/form_binding.h"

namespace wb {
namespace {

std::vector<int> entries(const DeviceConfig& config) {
    return std::vector<int>(config.tones.begin(), config.tones.begin() + config.toneCount);
}

std::vector<int> parsed(const std::string& text) {
    DeviceConfig config;
    parseToneList(text, config);
    return entries(config);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end + 2 - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

TEST(ToneListText, FactoryListInSevenLinesOfTen) {
    const std::string text = formatToneList(DeviceConfig{});
    EXPECT_EQ(text.size(), 242u);
    const auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "1, 20, 1, 20, 1, 11, 11, 11, 1, 20, \r\n");
    EXPECT_EQ(lines[6], "1, 23, 23, 23");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
}

TEST(ToneListText, LineBreakFollowsEveryTenthEntry) {
    DeviceConfig config;
    for (int i = 0; i < 12; ++i) config.tones[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
    config.toneCount = 12;
    EXPECT_EQ(formatToneList(config), "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, \r\n11, 12");
    config.toneCount = 10;
    EXPECT_EQ(formatToneList(config), "1, 2, 3, 4, 5, 6, 7, 8, 9, 10");
    config.toneCount = 1;
    EXPECT_EQ(formatToneList(config), "1");
    config.toneCount = 0;
    EXPECT_EQ(formatToneList(config), "");
    config.tones[0] = 255;
    config.tones[1] = 0;
    config.toneCount = 2;
    EXPECT_EQ(formatToneList(config), "255, 0");
}

TEST(ToneListText, ParsingSplitsAtAnyRunOfDelimiters) {
    const struct {
        const char* text;
        std::vector<int> tones;
    } cases[] = {
        {"1,2,,3", {1, 2, 3}},
        {" \t\r\n5 \t6\n\r7\t\n ", {5, 6, 7}},
        {",,9,", {9}},
        {"256, 300, -1, abc, 7x", {0, 44, 255, 0, 7}},
        {"0", {0}},
        {"99999999999", {255}},          // saturates, then the low eight bits
        {"1;2 3", {1, 3}},               // ';' is not a delimiter: "1;2" reads as 1
        {"", {1}},
        {" ,\r\t\n,, ", {1}},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.tones) << '"' << c.text << '"';
}

TEST(ToneListText, EntriesPastTheNewCountKeepTheirValues) {
    DeviceConfig config;
    const ToneList before = config.tones;
    parseToneList("9, 8", config);
    EXPECT_EQ(config.toneCount, 2);
    EXPECT_EQ(config.tones[0], 9);
    EXPECT_EQ(config.tones[1], 8);
    EXPECT_TRUE(std::equal(before.begin() + 2, before.end(), config.tones.begin() + 2));
}

TEST(ToneListText, A299CharacterListGives150Entries) {
    std::string text = "1";
    while (text.size() < 299) text += ",1";
    ASSERT_EQ(text.size(), 299u);
    EXPECT_EQ(parsed(text).size(), 150u);
}

TEST(ToneListText, ParsingKeepsAtMostTheListsCapacity) {
    std::string text;
    for (int i = 0; i < 250; ++i) text += std::to_string(i % 256) + " ";
    const auto tones = parsed(text);
    ASSERT_EQ(tones.size(), 200u);
    EXPECT_EQ(tones.front(), 0);
    EXPECT_EQ(tones.back(), 199);
}

}  // namespace
}  // namespace wb
