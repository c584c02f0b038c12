#pragma once

// Golden files: a test's whole output kept in the repository, so that any change to it shows in review. Running
// the test with CHRONOVA_UPDATE_GOLDEN=1 rewrites the files instead of comparing (see tests/README.md).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace chronova::testing {

/// True when the golden files are to be rewritten rather than compared.
inline bool UpdatingGoldenFiles() {
    const char* update = std::getenv("CHRONOVA_UPDATE_GOLDEN");
    return update != nullptr && *update != '\0' && std::string_view(update) != "0";
}

/// The text with every occurrence of part replaced by placeholder, for what legitimately varies between runs
/// such as the absolute path of a scratch folder.
inline std::string ReplaceAll(std::string text, std::string_view part, std::string_view placeholder) {
    if (part.empty()) {
        return text;
    }
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + placeholder.size())) {
        text.replace(at, part.size(), placeholder);
    }
    return text;
}

/// Passes when actual is the text of the golden file; a failure names the first line that differs. With
/// CHRONOVA_UPDATE_GOLDEN set it writes actual to the file and passes.
inline ::testing::AssertionResult MatchesGoldenFile(const std::string& actual, const std::filesystem::path& file) {
    if (UpdatingGoldenFiles()) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << actual;
        if (!out.flush()) {
            return ::testing::AssertionFailure() << "cannot write the golden file " << file.string();
        }
        return ::testing::AssertionSuccess();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return ::testing::AssertionFailure()
               << "no golden file " << file.string() << "; run the test with CHRONOVA_UPDATE_GOLDEN=1 to write it";
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    const std::string expected = contents.str();
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::istringstream expected_lines(expected);
    std::istringstream actual_lines(actual);
    std::string expected_line;
    std::string actual_line;
    for (int line = 1;; ++line) {
        const bool has_expected = static_cast<bool>(std::getline(expected_lines, expected_line));
        const bool has_actual = static_cast<bool>(std::getline(actual_lines, actual_line));
        if (has_expected && has_actual && expected_line == actual_line) {
            continue;
        }
        auto failure = ::testing::AssertionFailure() << "the output differs from the golden file " << file.string()
                                                     << " first at line " << line << ":\n";
        failure << "  expected: " << (has_expected ? expected_line : "(end of file)") << "\n";
        failure << "  actual:   " << (has_actual ? actual_line : "(end of output)") << "\n";
        if (!has_expected && !has_actual) {
            failure << "  (only the final line break differs)\n";
        }
        return failure << "If the change is intended, rerun with CHRONOVA_UPDATE_GOLDEN=1 and review the diff.";
    }
}

} // namespace chronova::testing
