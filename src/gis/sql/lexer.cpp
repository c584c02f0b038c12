#include "gis/sql/lexer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "gis/gis_errors.h"
#include "platform/automation_error.h"
#include "platform/conversions.h"
#include "platform/date_text.h"
#include "platform/text.h"

namespace chronova::gis::sql {

void RaiseSyntaxError(size_t position, std::string_view what) {
    platform::RaiseError(error::kInvalidSqlStatement, "Syntax error in the where clause at position " +
                                                          std::to_string(position) + ": " + std::string(what));
}

bool IsNameStart(char c) noexcept {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || byte >= 0x80;
}

bool IsNameChar(char c) noexcept {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool IsKeyword(std::string_view name) noexcept {
    for (const char* keyword : {"AND", "OR", "NOT", "IN", "BETWEEN", "LIKE", "IS", "NULL"}) {
        if (platform::IEquals(name, keyword)) {
            return true;
        }
    }
    return false;
}

namespace {

// The serials of the first and the day after the last date there is (years 100 to 9999).
constexpr double kMinDateSerial = -657434.0;
constexpr double kMaxDateSerial = 2958466.0;

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// A character as a message shows it: printable ASCII as itself, anything else as its byte value.
std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
        return std::string("'") + c + "'";
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

// Whether a number that a double cannot hold is too small rather than too large: the decimal exponent of
// its first significant digit, written exponent included, is negative.
bool IsUnderflow(std::string_view written) {
    const size_t exponent_at = written.find_first_of("eE");
    const std::string_view mantissa = written.substr(0, exponent_at);
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return true;
    }
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    long long scale =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    if (exponent_at != std::string_view::npos) {
        std::string_view digits = written.substr(exponent_at + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
            digits.remove_prefix(1);
        }
        long long exponent = 0;
        for (const char c : digits) {
            exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000);
        }
        scale += negative ? -exponent : exponent;
    }
    return scale < 0;
}

class Lexer {
public:
    explicit Lexer(std::string_view clause) : clause_(clause) {}

    std::vector<Token> Run() {
        std::vector<Token> tokens;
        while (true) {
            SkipBlanks();
            if (at_ >= clause_.size()) {
                tokens.push_back(Token{TokenKind::End, at_ + 1, 0, {}, 0.0});
                return tokens;
            }
            tokens.push_back(Next());
        }
    }

private:
    void SkipBlanks() {
        while (at_ < clause_.size() &&
               (clause_[at_] == ' ' || clause_[at_] == '\t' || clause_[at_] == '\r' || clause_[at_] == '\n')) {
            ++at_;
        }
    }

    Token Simple(TokenKind kind, size_t length) {
        Token token{kind, at_ + 1, length, {}, 0.0};
        at_ += length;
        return token;
    }

    Token Next() {
        const char c = clause_[at_];
        const char next = at_ + 1 < clause_.size() ? clause_[at_ + 1] : '\0';
        switch (c) {
        case '(':
            return Simple(TokenKind::LeftParen, 1);
        case ')':
            return Simple(TokenKind::RightParen, 1);
        case ',':
            return Simple(TokenKind::Comma, 1);
        case '+':
            return Simple(TokenKind::Plus, 1);
        case '-':
            return Simple(TokenKind::Minus, 1);
        case '=':
            return Simple(TokenKind::Equal, 1);
        case '<':
            if (next == '>') {
                return Simple(TokenKind::NotEqual, 2);
            }
            return next == '=' ? Simple(TokenKind::LessEqual, 2) : Simple(TokenKind::Less, 1);
        case '>':
            return next == '=' ? Simple(TokenKind::GreaterEqual, 2) : Simple(TokenKind::Greater, 1);
        case '\'':
            return Quoted(TokenKind::Text, '\'', '\'', "text");
        case '"':
            return Quoted(TokenKind::QuotedName, '"', '"', "field name");
        case '[':
            return Quoted(TokenKind::QuotedName, '[', ']', "field name");
        case '#':
            return DateLiteral();
        default:
            break;
        }
        if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            return NumberLiteral();
        }
        if (IsNameStart(c)) {
            const size_t start = at_;
            while (at_ < clause_.size() && IsNameChar(clause_[at_])) {
                ++at_;
            }
            return Token{TokenKind::Name, start + 1, at_ - start, std::string(clause_.substr(start, at_ - start)), 0.0};
        }
        RaiseSyntaxError(at_ + 1, "unexpected character " + Shown(c));
    }

    // Text between quotes; a doubled closing quote stands for one (for 'text' and "names").
    Token Quoted(TokenKind kind, char open, char close, std::string_view what) {
        const size_t start = at_;
        std::string value;
        ++at_;
        while (true) {
            if (at_ >= clause_.size()) {
                RaiseSyntaxError(start + 1, std::string("the ") + std::string(what) + " has no closing " +
                                                (close == '\'' ? std::string("quote") : Shown(close)));
            }
            const char c = clause_[at_++];
            if (c == close) {
                if (open == close && at_ < clause_.size() && clause_[at_] == close) {
                    value += close;
                    ++at_;
                    continue;
                }
                break;
            }
            value += c;
        }
        if (kind == TokenKind::QuotedName && value.empty()) {
            RaiseSyntaxError(start + 1, "the field name is empty");
        }
        return Token{kind, start + 1, at_ - start, std::move(value), 0.0};
    }

    Token DateLiteral() {
        const size_t start = at_;
        const size_t close = clause_.find('#', start + 1);
        if (close == std::string_view::npos) {
            RaiseSyntaxError(start + 1, "the date has no closing '#'");
        }
        at_ = close + 1;
        const std::string_view written = clause_.substr(start, at_ - start);
        const std::string_view inside = written.substr(1, written.size() - 2);
        auto date = platform::TryParseDate(inside);
        if (!date) {
            // A number between the marks is a date serial, as a date written by value prints.
            const auto serial = platform::ParseNumber(platform::Trim(inside));
            if (serial && *serial >= kMinDateSerial && *serial < kMaxDateSerial) {
                // Kept to the whole second, as every date the dialect reads and writes.
                const platform::DateParts parts = platform::Date(*serial).Parts();
                if (parts.year >= platform::Date::kMinYear && parts.year <= platform::Date::kMaxYear) {
                    date = platform::Date::FromParts(parts.year, parts.month, parts.day, parts.hour, parts.minute,
                                                     parts.second);
                }
            }
        }
        if (!date) {
            std::string shown(written.substr(0, 40));
            if (written.size() > 40) {
                shown += "...";
            }
            RaiseSyntaxError(start + 1, shown + " is not a date");
        }
        return Token{TokenKind::Date, start + 1, at_ - start, {}, date->Serial()};
    }

    // Digits with an optional fraction and exponent; the sign is a token of its own.
    Token NumberLiteral() {
        const size_t start = at_;
        const auto skip_digits = [&] {
            while (at_ < clause_.size() && IsDigit(clause_[at_])) {
                ++at_;
            }
        };
        skip_digits();
        if (at_ < clause_.size() && clause_[at_] == '.') {
            ++at_;
            skip_digits();
        }
        if (at_ < clause_.size() && (clause_[at_] == 'e' || clause_[at_] == 'E')) {
            size_t exponent = at_ + 1;
            if (exponent < clause_.size() && (clause_[exponent] == '+' || clause_[exponent] == '-')) {
                ++exponent;
            }
            if (exponent < clause_.size() && IsDigit(clause_[exponent])) {
                at_ = exponent;
                skip_digits();
            }
        }
        if (at_ < clause_.size() && IsNameChar(clause_[at_])) {
            RaiseSyntaxError(at_ + 1, "unexpected " + Shown(clause_[at_]) + " in a number");
        }
        const std::string_view written = clause_.substr(start, at_ - start);
        double value = 0.0;
        const auto result = std::from_chars(written.data(), written.data() + written.size(), value);
        if (result.ec == std::errc::result_out_of_range) {
            // Too small for a double reads as zero; too large has no value a field could hold.
            if (!IsUnderflow(written)) {
                RaiseSyntaxError(start + 1, "the number " + std::string(written.substr(0, 40)) + " is out of range");
            }
            value = 0.0;
        } else if (result.ec != std::errc() || result.ptr != written.data() + written.size() || !std::isfinite(value)) {
            RaiseSyntaxError(start + 1, "the number " + std::string(written.substr(0, 40)) + " does not read");
        }
        return Token{TokenKind::Number, start + 1, at_ - start, {}, value};
    }

    std::string_view clause_;
    size_t at_ = 0;
};

} // namespace

std::vector<Token> Tokenize(std::string_view clause) {
    return Lexer(clause).Run();
}

} // namespace chronova::gis::sql
