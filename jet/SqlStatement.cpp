#include "jet/SqlStatement.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "app/AppError.h"
#include "jet/TextCase.h"

namespace speclore::jet::sql {

namespace {

struct Token {
    enum class Kind { Word, Name, Number, Text, Symbol, End };
    Kind kind = Kind::End;
    // Word: as written; Name: a [bracketed] name without brackets;
    // Number: the digits; Text: the unquoted text; Symbol: the symbol.
    std::string text;
};

[[noreturn]] void syntaxError() { throw AppError(err::DbSyntaxError); }

bool isWordByte(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

std::vector<Token> tokenize(const std::string& sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        auto c = static_cast<unsigned char>(sql[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (std::isdigit(c)) {
            size_t start = i;
            while (i < sql.size() && std::isdigit(static_cast<unsigned char>(sql[i]))) ++i;
            tokens.push_back({Token::Kind::Number, sql.substr(start, i - start)});
        } else if (isWordByte(c)) {
            size_t start = i;
            while (i < sql.size() && isWordByte(static_cast<unsigned char>(sql[i]))) ++i;
            tokens.push_back({Token::Kind::Word, sql.substr(start, i - start)});
        } else if (c == '[') {
            size_t end = sql.find(']', i + 1);
            if (end == std::string::npos || end == i + 1) syntaxError();
            tokens.push_back({Token::Kind::Name, sql.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else if (c == '\'' || c == '"') {
            // A quote inside is written twice.
            std::string text;
            for (++i;; ++i) {
                if (i >= sql.size()) syntaxError();
                if (static_cast<unsigned char>(sql[i]) == c) {
                    if (i + 1 < sql.size() && static_cast<unsigned char>(sql[i + 1]) == c) {
                        text += sql[++i];
                        continue;
                    }
                    ++i;
                    break;
                }
                text += sql[i];
            }
            tokens.push_back({Token::Kind::Text, text});
        } else {
            static const char* const twoCharacterSymbols[] = {"<>", "<=", ">="};
            std::string symbol(1, static_cast<char>(c));
            for (const char* two : twoCharacterSymbols) {
                if (sql.compare(i, 2, two) == 0) symbol = two;
            }
            if (symbol.size() == 1 &&
                std::string_view("(),.*;=<>-").find(static_cast<char>(c)) == std::string_view::npos) {
                syntaxError();
            }
            tokens.push_back({Token::Kind::Symbol, symbol});
            i += symbol.size();
        }
    }
    tokens.push_back({Token::Kind::End, ""});
    return tokens;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    SelectStatement select() {
        SelectStatement statement;
        expectWord("SELECT");
        do {
            statement.items.push_back(item());
        } while (acceptSymbol(","));
        expectWord("FROM");
        source(statement);
        if (acceptWord("WHERE")) statement.where = expression();
        if (acceptWord("ORDER")) {
            expectWord("BY");
            do {
                OrderKey key;
                key.column = columnRef();
                if (acceptWord("DESC")) {
                    key.descending = true;
                } else {
                    acceptWord("ASC");
                }
                statement.orderBy.push_back(std::move(key));
            } while (acceptSymbol(","));
        }
        acceptSymbol(";");
        if (peek().kind != Token::Kind::End) syntaxError();
        return statement;
    }

private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& take() {
        const Token& t = tokens_[pos_];
        if (t.kind != Token::Kind::End) ++pos_;
        return t;
    }
    bool isWord(const char* word) const {
        return peek().kind == Token::Kind::Word && equalsIgnoringCase(peek().text, word);
    }
    bool acceptWord(const char* word) {
        if (!isWord(word)) return false;
        ++pos_;
        return true;
    }
    void expectWord(const char* word) {
        if (!acceptWord(word)) syntaxError();
    }
    bool acceptSymbol(const char* symbol) {
        if (peek().kind != Token::Kind::Symbol || peek().text != symbol) return false;
        ++pos_;
        return true;
    }
    void expectSymbol(const char* symbol) {
        if (!acceptSymbol(symbol)) syntaxError();
    }

    static bool isReserved(const std::string& word) {
        static const char* const reserved[] = {"SELECT", "FROM", "INNER", "JOIN",  "ON", "WHERE",
                                               "AND",    "OR",   "NOT",   "ORDER", "BY", "ASC",
                                               "DESC",   "AS",   "IS",    "NULL"};
        for (const char* r : reserved) {
            if (equalsIgnoringCase(word, r)) return true;
        }
        return false;
    }

    std::string name() {
        const Token& t = peek();
        if (t.kind == Token::Kind::Name || (t.kind == Token::Kind::Word && !isReserved(t.text))) {
            return take().text;
        }
        syntaxError();
    }

    ColumnRef columnRef() {
        ColumnRef ref;
        ref.column = name();
        if (acceptSymbol(".")) {
            ref.table = std::move(ref.column);
            ref.column = name();
        }
        return ref;
    }

    SelectItem item() {
        SelectItem item;
        if (acceptSymbol("*")) {
            item.kind = SelectItem::Kind::AllColumns;
            return item;
        }
        if (isWord("COUNT") && tokens_[pos_ + 1].text == "(") {
            pos_ += 2;
            expectSymbol("*");
            expectSymbol(")");
            item.kind = SelectItem::Kind::CountAll;
        } else {
            item.column = columnRef();
        }
        if (acceptWord("AS")) item.alias = name();
        return item;
    }

    // A table, or joins of tables, optionally in parentheses as Access
    // writes them: (A INNER JOIN B ON ...) INNER JOIN C ON ...
    void source(SelectStatement& statement) {
        if (acceptSymbol("(")) {
            source(statement);
            expectSymbol(")");
        } else {
            statement.from = name();
        }
        while (acceptWord("INNER")) {
            expectWord("JOIN");
            Join join;
            join.table = name();
            expectWord("ON");
            join.on = expression();
            statement.joins.push_back(std::move(join));
        }
    }

    static std::unique_ptr<Expr> node(Expr::Kind kind, std::unique_ptr<Expr> left,
                                      std::unique_ptr<Expr> right = nullptr) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->left = std::move(left);
        e->right = std::move(right);
        return e;
    }

    std::unique_ptr<Expr> expression() {
        auto left = conjunction();
        while (acceptWord("OR")) left = node(Expr::Kind::Or, std::move(left), conjunction());
        return left;
    }

    std::unique_ptr<Expr> conjunction() {
        auto left = negation();
        while (acceptWord("AND")) left = node(Expr::Kind::And, std::move(left), negation());
        return left;
    }

    std::unique_ptr<Expr> negation() {
        if (acceptWord("NOT")) return node(Expr::Kind::Not, negation());
        return comparison();
    }

    std::unique_ptr<Expr> comparison() {
        auto left = operand();
        if (acceptWord("IS")) {
            auto e = node(Expr::Kind::IsNull, std::move(left));
            if (acceptWord("NOT")) e->op = "NOT";
            expectWord("NULL");
            return e;
        }
        static const char* const operators[] = {"=", "<>", "<", "<=", ">", ">="};
        for (const char* op : operators) {
            if (acceptSymbol(op)) {
                auto e = node(Expr::Kind::Compare, std::move(left), operand());
                e->op = op;
                return e;
            }
        }
        return left;
    }

    std::unique_ptr<Expr> operand() {
        if (acceptSymbol("(")) {
            auto inner = expression();
            expectSymbol(")");
            return inner;
        }
        auto e = std::make_unique<Expr>();
        bool negative = acceptSymbol("-");
        if (peek().kind == Token::Kind::Number) {
            errno = 0;
            long long value = std::strtoll(take().text.c_str(), nullptr, 10);
            if (errno == ERANGE) throw AppError(err::Overflow);
            e->literal = static_cast<int64_t>(negative ? -value : value);
            return e;
        }
        if (negative) syntaxError();
        if (peek().kind == Token::Kind::Text) {
            e->literal = take().text;
            return e;
        }
        if (acceptWord("NULL")) return e;
        e->kind = Expr::Kind::Column;
        e->column = columnRef();
        return e;
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

}  // namespace

SelectStatement parseSelect(const std::string& sql) { return Parser(tokenize(sql)).select(); }

}  // namespace speclore::jet::sql
