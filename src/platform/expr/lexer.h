// Splits a filter text into tokens: names, numbers, quoted texts, operators and keywords.
#pragma once

#include "platform/expr/ast.h"

#include <QString>
#include <QStringView>

namespace melodex::expr {

struct Token
{
    enum class Type {
        End,
        Name,   ///< `text` as written; may hold ':' ("BRW1::Sort3:Reset:MED:Media")
        Number, ///< `number`
        Text,   ///< `text` is the contents, quotes undoubled
        LeftParen,
        RightParen,
        Comma,
        Compare, ///< `op` is Eq .. Ge
        Plus,
        Minus,
        Star,
        Slash,
        Ampersand,
        And,
        Or,
        Not,
        Error, ///< `text` is the message
    };

    Type type = Type::End;
    qsizetype position = 0;
    qsizetype length = 0;
    QString text;
    Value number;
    Node::Op op = Node::Op::Eq;
};

/// Reads tokens one at a time from a text that must outlive the lexer.
class Lexer
{
public:
    explicit Lexer(QStringView source);

    /// The next token; End for ever once the text is used up.
    Token next();

private:
    Token make(Token::Type type, qsizetype start, qsizetype length);
    Token error(const QString &message, qsizetype position);
    Token quoted(QChar quote);
    Token number();
    Token name();

    QStringView m_source;
    qsizetype m_pos = 0;
};

} // namespace melodex::expr
