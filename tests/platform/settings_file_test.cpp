#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include "platform/settings_printers.h"

namespace chronova::platform {
namespace {

using namespace std::string_literals;

SettingsEntry Value(std::string key, std::string name, SettingsValue value) {
    return {std::move(key), std::move(name), std::move(value)};
}
SettingsEntry KeyRecord(std::string key) {
    return {std::move(key), {}, std::nullopt};
}

// Parses text that must be free of problems.
std::vector<SettingsEntry> Clean(std::string_view text) {
    auto parsed = ParseSettingsText(text);
    EXPECT_TRUE(parsed.problems.empty()) << text << "\nfirst problem: " << parsed.problems.front().reason;
    return parsed.entries;
}

TEST(SettingsFile, WritesOneJsonObjectPerLine) {
    const std::vector<SettingsEntry> entries = {
        Value("Software\\Veltrane\\Chronova", "Fill_Gaps", SettingsValue::String("True")),
        Value("Software\\Veltrane\\Chronova", "", SettingsValue::DWord(4294967295u)),
        KeyRecord("Software\\Empty"),
    };
    EXPECT_EQ(
        SerializeSettings(entries),
        "{\"key\":\"Software\\\\Veltrane\\\\Chronova\",\"name\":\"Fill_Gaps\",\"type\":\"REG_SZ\","
        "\"data\":\"True\"}\n"
        "{\"key\":\"Software\\\\Veltrane\\\\Chronova\",\"name\":\"\",\"type\":\"REG_DWORD\",\"data\":4294967295}\n"
        "{\"key\":\"Software\\\\Empty\"}\n");
}

TEST(SettingsFile, RoundTripsEveryKindOfText) {
    const std::vector<SettingsEntry> entries = {
        Value("", "at the hive", SettingsValue::String("")),
        Value("Software\\Ünïcode ключ", "名前", SettingsValue::String("日本語 \"quoted\" \\ \t\n")),
        Value("Software\\Nul", "embedded", SettingsValue::String("ab\0cd"s)),
        Value("Software\\Ansi\xE9", "caf\xE9", SettingsValue::String("Latin-1 \xE9\xFF and \xC3")),
        Value("Software\\Numbers", "zero", SettingsValue::DWord(0)),
        KeyRecord("Software\\Ansi\xE9\\Empty"),
    };
    const std::string text = SerializeSettings(entries);
    EXPECT_EQ(Clean(text), entries);
    EXPECT_NE(text.find("\"data_hex\":\"4c6174696e2d3120e9ff20616e6420c3\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"key_hex\":"), std::string::npos);
    EXPECT_NE(text.find("\"name_hex\":\"636166e9\""), std::string::npos);
}

TEST(SettingsFile, ToleratesLineEndingsMarksAndBlankLines) {
    const auto entries =
        Clean("\xEF\xBB\xBF{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_SZ\",\"data\":\"1\"}\r\n"
              "\n   \t\n"
              "{\"key\":\"B\", \"type\":\"REG_DWORD\", \"name\":\"y\", \"data\":7}"); // no final newline
    EXPECT_EQ(entries,
              (std::vector{Value("A", "x", SettingsValue::String("1")), Value("B", "y", SettingsValue::DWord(7))}));
}

// Each bad line is reported with its line number and a reason; the good lines around it survive.
void ExpectRejected(const std::string& bad_line, const std::string& reason_part) {
    const std::string good = "{\"key\":\"K\",\"name\":\"n\",\"type\":\"REG_SZ\",\"data\":\"v\"}\n";
    const auto parsed = ParseSettingsText(good + "\n" + bad_line + "\n" + "{\"key\":\"L\"}\n");
    ASSERT_EQ(parsed.problems.size(), 1u) << bad_line;
    EXPECT_EQ(parsed.problems[0].line, 3u) << bad_line;
    EXPECT_NE(parsed.problems[0].reason.find(reason_part), std::string::npos)
        << bad_line << " gave: " << parsed.problems[0].reason;
    EXPECT_EQ(parsed.entries, (std::vector{Value("K", "n", SettingsValue::String("v")), KeyRecord("L")})) << bad_line;
}

TEST(SettingsFile, ReportsUnusableLines) {
    ExpectRejected("garbage", "not valid JSON");
    ExpectRejected("{\"key\":\"A\",\"na", "not valid JSON");
    ExpectRejected("{\"key\":\"A\"} trailing", "not valid JSON");
    ExpectRejected("{\"key\":\"\xE9\"}", "not valid JSON");
    ExpectRejected("[1,2]", "not a JSON object");
    ExpectRejected("5", "not a JSON object");
    ExpectRejected("{\"name\":\"x\",\"type\":\"REG_SZ\",\"data\":\"v\"}", "\"key\" is missing");
    ExpectRejected("{\"key\":5}", "\"key\" must be text");
    ExpectRejected("{\"key\":\"A\\\\\\\\B\"}", "key path is not usable");
    ExpectRejected("{\"key\":\"\\\\A\"}", "key path is not usable");
    ExpectRejected("{\"key\":\"A\\\\\"}", "key path is not usable");
    ExpectRejected("{\"key\":\"A\\u0000B\"}", "key path is not usable");
    ExpectRejected("{\"key\":\"A\",\"key\":\"B\"}", "appears twice");
    ExpectRejected("{\"key\":\"A\",\"key_hex\":\"41\"}", "both");
    ExpectRejected("{\"key_hex\":\"4\"}", "hexadecimal");
    ExpectRejected("{\"key_hex\":\"zz\"}", "hexadecimal");
    ExpectRejected("{\"key\":\"A\",\"colour\":\"red\"}", "unknown field \"colour\"");
    ExpectRejected("{\"key\":\"A\",\"name\":{\"x\":1}}", "holds an object");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_SZ\",\"data\":[]}", "holds an array");
    ExpectRejected("{\"key\":\"A\",\"type\":\"REG_SZ\",\"data\":\"v\"}", "\"name\" is missing");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\\u0000\",\"type\":\"REG_SZ\",\"data\":\"v\"}", "NUL");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"data\":\"v\"}", "\"type\" is missing");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":1,\"data\":\"v\"}", "\"type\" must be text");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_BINARY\",\"data\":\"00\"}", "unsupported");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_SZ\"}", "\"data\" is missing");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_SZ\",\"data\":5}", "\"data\" must be text");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_SZ\",\"data\":\"v\",\"extra\":null}", "unknown");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_DWORD\",\"data\":\"5\"}", "whole number");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_DWORD\",\"data\":-1}", "whole number");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_DWORD\",\"data\":1.5}", "whole number");
    ExpectRejected("{\"key\":\"A\",\"name\":\"x\",\"type\":\"REG_DWORD\",\"data\":4294967296}", "whole number");
}

TEST(SettingsFile, LaterLineWinsForARepeatedValue) {
    const auto parsed =
        ParseSettingsText("{\"key\":\"Soft\\\\A\",\"name\":\"Mode\",\"type\":\"REG_SZ\",\"data\":\"0\"}\n"
                          "{\"key\":\"Soft\\\\B\"}\n"
                          "{\"key\":\"SOFT\\\\a\",\"name\":\"MODE\",\"type\":\"REG_SZ\",\"data\":\"1\"}\n");
    // The value keeps its first place and spelling but takes the later data; the earlier line is reported.
    EXPECT_EQ(parsed.entries,
              (std::vector{Value("Soft\\A", "Mode", SettingsValue::String("1")), KeyRecord("Soft\\B")}));
    ASSERT_EQ(parsed.problems.size(), 1u);
    EXPECT_EQ(parsed.problems[0].line, 1u);
    EXPECT_NE(parsed.problems[0].reason.find("line 3"), std::string::npos);
}

TEST(SettingsFile, DropsKeyRecordsThatOtherRecordsImply) {
    const auto entries = Clean("{\"key\":\"A\"}\n"                                                  // parent of A\B
                               "{\"key\":\"A\\\\B\"}\n"                                             // kept
                               "{\"key\":\"a\\\\b\"}\n"                                             // repeat
                               "{\"key\":\"C\"}\n"                                                  // has a value
                               "{\"key\":\"c\",\"name\":\"v\",\"type\":\"REG_DWORD\",\"data\":1}\n" //
                               "{\"key\":\"\"}\n"                                                   // the hive
                               "{\"key\":\"AB\"}\n");                                               // not below A
    EXPECT_EQ(entries, (std::vector{KeyRecord("A\\B"), Value("c", "v", SettingsValue::DWord(1)), KeyRecord("AB")}));
}

TEST(SettingsFile, KeyPathRules) {
    for (const auto* key : {"", "A", "A\\B", "Software\\VB and VBA Program Settings\\x"}) {
        EXPECT_TRUE(IsValidKeyPath(key)) << key;
    }
    for (const auto& key : {"\\"s, "\\A"s, "A\\"s, "A\\\\B"s, "A\0B"s}) {
        EXPECT_FALSE(IsValidKeyPath(key)) << key;
    }
    EXPECT_TRUE(KeyIsWithin("Software\\Veltrane", "SOFTWARE"));
    EXPECT_TRUE(KeyIsWithin("Software", "software"));
    EXPECT_TRUE(KeyIsWithin("Software", ""));
    EXPECT_FALSE(KeyIsWithin("SoftwareX", "Software"));
    EXPECT_FALSE(KeyIsWithin("Soft", "Software"));
}

} // namespace
} // namespace chronova::platform
