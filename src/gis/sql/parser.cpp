#include "gis/sql/parser.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gis/sql/lexer.h"
#include "platform/text.h"

namespace chronova::gis::sql {

bool IsBlankClause(std::string_view clause) noexcept {
    return clause.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

namespace {

class Parser {
public:
    Parser(std::string_view clause, std::vector<Token> tokens) : clause_(clause), tokens_(std::move(tokens)) {}

    Node Run() {
        Node root = ParseOr(nullptr);
        if (Peek().kind == TokenKind::RightParen) {
            RaiseSyntaxError(Peek().position, "')' has no matching '('");
        }
        if (Peek().kind != TokenKind::End) {
            RaiseSyntaxError(Peek().position, "expected AND, OR or the end of the clause, found " + Shown(Peek()));
        }
        return root;
    }

private:
    // Counts one level of nesting while alive.
    class Nesting {
    public:
        Nesting(size_t& depth, size_t position) : depth_(depth) {
            if (++depth_ > kMaxNesting) {
                RaiseSyntaxError(position, "conditions nest deeper than " + std::to_string(kMaxNesting) + " levels");
            }
        }
        ~Nesting() { --depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        size_t& depth_;
    };

    const Token& Peek() const { return tokens_[next_]; }
    const Token& Take() {
        const Token& token = tokens_[next_];
        if (token.kind != TokenKind::End) {
            ++next_;
        }
        return token;
    }
    bool IsKeywordToken(const Token& token, std::string_view keyword) const {
        return token.kind == TokenKind::Name && platform::IEquals(token.text, keyword);
    }
    bool TakeKeyword(std::string_view keyword) {
        if (IsKeywordToken(Peek(), keyword)) {
            Take();
            return true;
        }
        return false;
    }

    // A token as written, for messages.
    std::string Shown(const Token& token) const {
        if (token.kind == TokenKind::End) {
            return "the end of the clause";
        }
        std::string written(clause_.substr(token.position - 1, std::min<size_t>(token.length, 40)));
        if (token.length > 40) {
            written += "...";
        }
        return "'" + written + "'";
    }

    Node Group(NodeKind kind, Node first) {
        Node group;
        group.kind = kind;
        group.children.push_back(std::move(first));
        return group;
    }

    // `after` is the token before the condition, named when the condition is missing.
    Node ParseOr(const Token* after) {
        Node first = ParseAnd(after);
        if (!IsKeywordToken(Peek(), "OR")) {
            return first;
        }
        Node group = Group(NodeKind::Or, std::move(first));
        while (IsKeywordToken(Peek(), "OR")) {
            const Token& keyword = Take();
            group.children.push_back(ParseAnd(&keyword));
        }
        return group;
    }

    Node ParseAnd(const Token* after) {
        Node first = ParseNot(after);
        if (!IsKeywordToken(Peek(), "AND")) {
            return first;
        }
        Node group = Group(NodeKind::And, std::move(first));
        while (IsKeywordToken(Peek(), "AND")) {
            const Token& keyword = Take();
            group.children.push_back(ParseNot(&keyword));
        }
        return group;
    }

    Node ParseNot(const Token* after) {
        if (IsKeywordToken(Peek(), "NOT")) {
            const Token& keyword = Take();
            Nesting nesting(depth_, keyword.position);
            Node node;
            node.kind = NodeKind::Not;
            node.children.push_back(ParseNot(&keyword));
            return node;
        }
        return ParsePredicate(after);
    }

    Node ParsePredicate(const Token* after) {
        const Token& start = Peek();
        if (start.kind == TokenKind::LeftParen) {
            Take();
            Nesting nesting(depth_, start.position);
            Node inner = ParseOr(&start);
            if (Peek().kind != TokenKind::RightParen) {
                RaiseSyntaxError(Peek().position, "expected ')' to close the '(' at position " +
                                                      std::to_string(start.position) + ", found " + Shown(Peek()));
            }
            Take();
            return inner;
        }
        if (!StartsOperand(start)) {
            RaiseSyntaxError(start.position, "expected a condition" +
                                                 (after ? " after " + Shown(*after) : std::string()) + ", found " +
                                                 Shown(start));
        }
        Node node;
        node.left = ParseOperand(nullptr);
        ParseTail(node, start);
        return node;
    }

    bool StartsOperand(const Token& token) const {
        switch (token.kind) {
        case TokenKind::Name:
            return !IsKeyword(token.text);
        case TokenKind::QuotedName:
        case TokenKind::Number:
        case TokenKind::Text:
        case TokenKind::Date:
        case TokenKind::Plus:
        case TokenKind::Minus:
            return true;
        default:
            return false;
        }
    }

    // What follows the subject of a predicate: a comparison, [NOT] IN / BETWEEN / LIKE, or IS [NOT] NULL.
    void ParseTail(Node& node, const Token& subject) {
        const Token& token = Take();
        switch (token.kind) {
        case TokenKind::Equal:
        case TokenKind::NotEqual:
        case TokenKind::Less:
        case TokenKind::LessEqual:
        case TokenKind::Greater:
        case TokenKind::GreaterEqual:
            node.kind = NodeKind::Compare;
            node.op = OperatorOf(token.kind);
            node.right = ParseOperand(&token);
            return;
        default:
            break;
        }
        if (IsKeywordToken(token, "IS")) {
            node.kind = NodeKind::IsNull;
            node.negated = TakeKeyword("NOT");
            if (!TakeKeyword("NULL")) {
                RaiseSyntaxError(Peek().position, "expected NULL or NOT NULL after IS, found " + Shown(Peek()));
            }
            return;
        }
        const Token* keyword = &token;
        if (IsKeywordToken(token, "NOT")) {
            node.negated = true;
            keyword = &Take();
            if (!IsKeywordToken(*keyword, "IN") && !IsKeywordToken(*keyword, "BETWEEN") &&
                !IsKeywordToken(*keyword, "LIKE")) {
                RaiseSyntaxError(keyword->position, "expected IN, BETWEEN or LIKE after NOT, found " + Shown(*keyword));
            }
        }
        if (IsKeywordToken(*keyword, "IN")) {
            ParseInList(node, *keyword);
        } else if (IsKeywordToken(*keyword, "BETWEEN")) {
            node.kind = NodeKind::Between;
            node.values.push_back(ParseLiteral(keyword));
            if (!IsKeywordToken(Peek(), "AND")) {
                RaiseSyntaxError(Peek().position,
                                 "expected AND after the lower bound of BETWEEN, found " + Shown(Peek()));
            }
            const Token& and_keyword = Take();
            node.values.push_back(ParseLiteral(&and_keyword));
        } else if (IsKeywordToken(*keyword, "LIKE")) {
            node.kind = NodeKind::Like;
            if (Peek().kind != TokenKind::Text) {
                RaiseSyntaxError(Peek().position, "expected a 'text' pattern after LIKE, found " + Shown(Peek()));
            }
            node.values.push_back(ParseLiteral(keyword));
        } else {
            RaiseSyntaxError(token.position, "expected =, <>, <, <=, >, >=, IN, BETWEEN, LIKE or IS after " +
                                                 Shown(subject) + ", found " + Shown(token));
        }
    }

    void ParseInList(Node& node, const Token& keyword) {
        node.kind = NodeKind::In;
        if (Peek().kind != TokenKind::LeftParen) {
            RaiseSyntaxError(Peek().position, "expected '(' after " + Shown(keyword) + ", found " + Shown(Peek()));
        }
        const Token* previous = &Take();
        while (true) {
            node.values.push_back(ParseLiteral(previous));
            previous = &Take();
            if (previous->kind == TokenKind::RightParen) {
                return;
            }
            if (previous->kind != TokenKind::Comma) {
                RaiseSyntaxError(previous->position, "expected ',' or ')' in the IN list, found " + Shown(*previous));
            }
        }
    }

    static CompareOp OperatorOf(TokenKind kind) {
        switch (kind) {
        case TokenKind::NotEqual:
            return CompareOp::NotEqual;
        case TokenKind::Less:
            return CompareOp::Less;
        case TokenKind::LessEqual:
            return CompareOp::LessEqual;
        case TokenKind::Greater:
            return CompareOp::Greater;
        case TokenKind::GreaterEqual:
            return CompareOp::GreaterEqual;
        default:
            return CompareOp::Equal;
        }
    }

    // A field or a literal; `after` is the operator before it, named when the value is missing.
    Operand ParseOperand(const Token* after) {
        const Token& token = Peek();
        Operand operand;
        if ((token.kind == TokenKind::Name && !IsKeyword(token.text)) || token.kind == TokenKind::QuotedName) {
            Take();
            operand.is_field = true;
            operand.field = token.text;
            return operand;
        }
        operand.literal = ParseLiteral(after);
        return operand;
    }

    // A number (with an optional sign), 'text' or #date#.
    Literal ParseLiteral(const Token* after) {
        const Token& token = Take();
        Literal literal;
        switch (token.kind) {
        case TokenKind::Plus:
        case TokenKind::Minus: {
            const Token& number = Take();
            if (number.kind != TokenKind::Number) {
                RaiseSyntaxError(number.position,
                                 "expected a number after " + Shown(token) + ", found " + Shown(number));
            }
            literal.number = token.kind == TokenKind::Minus ? -number.number : number.number;
            return literal;
        }
        case TokenKind::Number:
            literal.number = token.number;
            return literal;
        case TokenKind::Text:
            literal.kind = Literal::Kind::Text;
            literal.text = token.text;
            return literal;
        case TokenKind::Date:
            literal.kind = Literal::Kind::Date;
            literal.number = token.number;
            return literal;
        default:
            RaiseSyntaxError(token.position, "expected a value" + (after ? " after " + Shown(*after) : std::string()) +
                                                 ", found " + Shown(token));
        }
    }

    std::string_view clause_;
    std::vector<Token> tokens_;
    size_t next_ = 0;
    size_t depth_ = 0;
};

} // namespace

Node Parse(std::string_view clause) {
    return Parser(clause, Tokenize(clause)).Run();
}

} // namespace chronova::gis::sql
