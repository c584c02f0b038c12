#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::gis::sql {

//! The kinds of tokens of the dialect; keywords arrive as Name tokens and the parser recognises them.
enum class TokenKind {
    End,
    Name,       ///< a bare name: a field or a keyword
    QuotedName, ///< a field name in "double quotes" or [brackets]: never a keyword
    Number,
    Text,
    Date,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    LeftParen,
    RightParen,
    Comma,
    Plus,
    Minus,
};

/// One token: where it starts (1-based), how long it is as written, and its value.
struct Token {
    TokenKind kind = TokenKind::End;
    size_t position = 0;
    size_t length = 0;
    std::string text;    ///< the name, or the text of a 'text' literal
    double number = 0.0; ///< the number, or a date's OLE serial
};

/// Splits a where clause into tokens, ending with an End token. #date# literals are read with the date
/// conversion of the current locale. Raises a syntax error for a character outside the dialect, an
/// unterminated quote, a date that does not read or a number out of range.
std::vector<Token> Tokenize(std::string_view clause);

/// Raises the where clause syntax error: "Syntax error in the where clause at position N: <what>".
[[noreturn]] void RaiseSyntaxError(size_t position, std::string_view what);

/// Whether a byte may start a bare name (letters, '_', and bytes of non-ASCII characters).
bool IsNameStart(char c) noexcept;
/// Whether a byte may continue a bare name (also digits and '.', for "Table.Field").
bool IsNameChar(char c) noexcept;
/// Whether a bare name is one of the dialect's keywords, letter case ignored.
bool IsKeyword(std::string_view name) noexcept;

} // namespace chronova::gis::sql
