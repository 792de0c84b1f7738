// Parses a filter text into a syntax tree, refusing texts too long or too deeply nested.
#include "platform/expr/parser.h"

#include "platform/expr/lexer.h"

#include <algorithm>
#include <exception>

namespace melodex::expr {

namespace {

using NodePtr = std::unique_ptr<Node>;

class Parser
{
public:
    explicit Parser(QStringView text) : m_text(text), m_lexer(text) { advance(); }

    ParseResult run()
    {
        ParseResult result;
        if (m_token.type == Token::Type::End && !failed())
            return result;
        NodePtr root = parseOr();
        if (!failed() && m_token.type != Token::Type::End)
            fail(m_token.type == Token::Type::RightParen
                     ? QStringLiteral("This closing parenthesis has no opening one")
                     : QStringLiteral("Expected an operator or the end of the filter, found %1")
                           .arg(spelling(m_token)),
                 m_token.position);
        if (failed()) {
            result.error = m_error;
            return result;
        }
        result.root = std::move(root);
        return result;
    }

private:
    // Counts one level of nesting for as long as it lives; refuses the level past the limit
    // before the parser recurses into it, so hostile input cannot exhaust the stack.
    class Level
    {
    public:
        Level(Parser &parser, qsizetype position) : m_parser(parser)
        {
            if (++m_parser.m_nesting > kMaxNesting)
                m_parser.fail(tooDeep(), position);
        }
        ~Level() { --m_parser.m_nesting; }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;

    private:
        Parser &m_parser;
    };

    static QString tooDeep()
    {
        return QStringLiteral("The filter is nested more than %1 levels deep").arg(kMaxNesting);
    }

    bool failed() const { return m_error.isError(); }

    NodePtr fail(const QString &message, qsizetype position)
    {
        if (!failed()) {
            m_error.message = message;
            m_error.position = position;
        }
        return nullptr;
    }

    void advance()
    {
        m_token = m_lexer.next();
        if (m_token.type == Token::Type::Error)
            fail(m_token.text, m_token.position);
    }

    QString spelling(const Token &token) const
    {
        if (token.type == Token::Type::End)
            return QStringLiteral("the end of the filter");
        return u'"' + m_text.sliced(token.position, token.length).left(40).toString() + u'"';
    }

    NodePtr node(Node::Kind kind, qsizetype position, std::vector<NodePtr> children)
    {
        auto result = std::make_unique<Node>();
        result->kind = kind;
        result->position = position;
        for (const auto &child : children)
            result->height = std::max(result->height, child->height + 1);
        result->children = std::move(children);
        if (result->height > kMaxNesting)
            return fail(tooDeep(), position);
        return result;
    }

    static NodePtr leaf(Node::Kind kind, const Token &token)
    {
        auto result = std::make_unique<Node>();
        result->kind = kind;
        result->position = token.position;
        result->text = token.text;
        result->number = token.number;
        return result;
    }

    NodePtr binary(Node::Kind kind, Node::Op op, qsizetype position, NodePtr lhs, NodePtr rhs)
    {
        std::vector<NodePtr> children;
        children.push_back(std::move(lhs));
        children.push_back(std::move(rhs));
        NodePtr result = node(kind, position, std::move(children));
        if (result)
            result->op = op;
        return result;
    }

    // OR, AND and & chains become one node with many children: they are associative, and a
    // flat node keeps a long wizard-made condition list shallow.
    template <typename Next> NodePtr chain(Token::Type separator, Node::Kind kind, Next next)
    {
        NodePtr first = (this->*next)();
        if (!first || m_token.type != separator)
            return first;
        const qsizetype position = m_token.position;
        std::vector<NodePtr> children;
        children.push_back(std::move(first));
        while (m_token.type == separator) {
            advance();
            if (failed())
                return nullptr;
            NodePtr operand = (this->*next)();
            if (!operand)
                return nullptr;
            children.push_back(std::move(operand));
        }
        return node(kind, position, std::move(children));
    }

    NodePtr parseOr() { return chain(Token::Type::Or, Node::Kind::Or, &Parser::parseAnd); }
    NodePtr parseAnd() { return chain(Token::Type::And, Node::Kind::And, &Parser::parseNot); }

    NodePtr parseNot()
    {
        if (m_token.type != Token::Type::Not)
            return parseComparison();
        const qsizetype position = m_token.position;
        Level level(*this, position);
        if (failed())
            return nullptr;
        advance();
        NodePtr operand = parseNot();
        if (!operand)
            return nullptr;
        std::vector<NodePtr> children;
        children.push_back(std::move(operand));
        return node(Node::Kind::Not, position, std::move(children));
    }

    NodePtr parseComparison()
    {
        NodePtr lhs = parseConcat();
        if (!lhs || m_token.type != Token::Type::Compare)
            return lhs;
        const Node::Op op = m_token.op;
        const qsizetype position = m_token.position;
        advance();
        NodePtr rhs = parseConcat();
        if (!rhs)
            return nullptr;
        if (m_token.type == Token::Type::Compare)
            return fail(QStringLiteral("Comparisons cannot be chained; join them with AND"),
                        m_token.position);
        return binary(Node::Kind::Compare, op, position, std::move(lhs), std::move(rhs));
    }

    NodePtr parseConcat()
    {
        return chain(Token::Type::Ampersand, Node::Kind::Concat, &Parser::parseAdditive);
    }

    NodePtr parseAdditive()
    {
        NodePtr lhs = parseMultiplicative();
        while (lhs && (m_token.type == Token::Type::Plus || m_token.type == Token::Type::Minus)) {
            const Node::Op op = m_token.type == Token::Type::Plus ? Node::Op::Add : Node::Op::Sub;
            const qsizetype position = m_token.position;
            advance();
            NodePtr rhs = parseMultiplicative();
            if (!rhs)
                return nullptr;
            lhs = binary(Node::Kind::Arithmetic, op, position, std::move(lhs), std::move(rhs));
        }
        return lhs;
    }

    NodePtr parseMultiplicative()
    {
        NodePtr lhs = parseUnary();
        while (lhs && (m_token.type == Token::Type::Star || m_token.type == Token::Type::Slash)) {
            const Node::Op op = m_token.type == Token::Type::Star ? Node::Op::Mul : Node::Op::Div;
            const qsizetype position = m_token.position;
            advance();
            NodePtr rhs = parseUnary();
            if (!rhs)
                return nullptr;
            lhs = binary(Node::Kind::Arithmetic, op, position, std::move(lhs), std::move(rhs));
        }
        return lhs;
    }

    NodePtr parseUnary()
    {
        if (m_token.type != Token::Type::Minus && m_token.type != Token::Type::Plus)
            return parsePrimary();
        const bool negate = m_token.type == Token::Type::Minus;
        const qsizetype position = m_token.position;
        Level level(*this, position);
        if (failed())
            return nullptr;
        advance();
        NodePtr operand = parseUnary();
        if (!operand || !negate)
            return operand;
        std::vector<NodePtr> children;
        children.push_back(std::move(operand));
        return node(Node::Kind::Negate, position, std::move(children));
    }

    NodePtr parsePrimary()
    {
        if (failed())
            return nullptr;
        const Token token = m_token;
        switch (token.type) {
        case Token::Type::Number: {
            advance();
            return leaf(Node::Kind::Number, token);
        }
        case Token::Type::Text: {
            advance();
            return leaf(Node::Kind::Text, token);
        }
        case Token::Type::Name:
            advance();
            if (m_token.type == Token::Type::LeftParen)
                return parseCall(token);
            return leaf(Node::Kind::Name, token);
        case Token::Type::LeftParen: {
            Level level(*this, token.position);
            if (failed())
                return nullptr;
            advance();
            NodePtr inner = parseOr();
            if (!inner)
                return nullptr;
            if (m_token.type != Token::Type::RightParen)
                return fail(QStringLiteral("This parenthesis is never closed"), token.position);
            advance();
            return inner;
        }
        default:
            return fail(QStringLiteral("Expected a value, found %1").arg(spelling(token)),
                        token.position);
        }
    }

    NodePtr parseCall(const Token &name)
    {
        const FunctionInfo *info = findFunction(name.text.toUpper());
        if (!info)
            return fail(QStringLiteral("Unknown function %1").arg(name.text), name.position);
        Level level(*this, name.position);
        if (failed())
            return nullptr;
        advance(); // the opening parenthesis
        std::vector<NodePtr> args;
        if (m_token.type != Token::Type::RightParen) {
            while (true) {
                NodePtr arg = parseOr();
                if (!arg)
                    return nullptr;
                args.push_back(std::move(arg));
                if (m_token.type != Token::Type::Comma)
                    break;
                advance();
            }
        }
        if (failed())
            return nullptr;
        if (m_token.type != Token::Type::RightParen)
            return fail(QStringLiteral("The arguments of %1 are not closed with a parenthesis")
                            .arg(name.text),
                        name.position);
        advance();
        const int count = int(args.size());
        if (count < info->minArgs || count > info->maxArgs)
            return fail(arityMessage(*info), name.position);
        NodePtr call = node(Node::Kind::Call, name.position, std::move(args));
        if (call) {
            call->function = info->id;
            call->text = name.text;
        }
        return call;
    }

    static QString arityMessage(const FunctionInfo &info)
    {
        const QString name = info.name.toString();
        if (info.maxArgs == 0)
            return QStringLiteral("%1 takes no arguments").arg(name);
        if (info.minArgs == info.maxArgs)
            return info.minArgs == 1
                       ? QStringLiteral("%1 takes 1 argument").arg(name)
                       : QStringLiteral("%1 takes %2 arguments").arg(name).arg(info.minArgs);
        return QStringLiteral("%1 takes %2 to %3 arguments")
            .arg(name)
            .arg(info.minArgs)
            .arg(info.maxArgs);
    }

    QStringView m_text;
    Lexer m_lexer;
    Token m_token;
    Error m_error;
    int m_nesting = 0;
};

} // namespace

ParseResult parse(QStringView text)
{
    ParseResult result;
    if (text.size() > kMaxFilterLength) {
        result.error.message =
            QStringLiteral("The filter is longer than %1 characters").arg(kMaxFilterLength);
        result.error.position = kMaxFilterLength;
        return result;
    }
    try {
        return Parser(text).run();
    } catch (...) {
        result.error.message = QStringLiteral("The filter could not be read");
        return result;
    }
}

QString textLiteral(QStringView text)
{
    QString doubled = text.toString();
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

} // namespace melodex::expr
