// Splits a filter text into tokens: names, numbers, quoted texts, operators and keywords.
#include "platform/expr/lexer.h"

namespace melodex::expr {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool startsName(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool continuesName(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u':';
}

// A character as it can safely appear in a message: control characters as U+XXXX.
QString printable(QChar c)
{
    if (c.isPrint() && !c.isSurrogate())
        return u'\'' + QString(c) + u'\'';
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper();
}

} // namespace

Lexer::Lexer(QStringView source) : m_source(source) {}

Token Lexer::make(Token::Type type, qsizetype start, qsizetype length)
{
    Token token;
    token.type = type;
    token.position = start;
    token.length = length;
    m_pos = start + length;
    return token;
}

Token Lexer::error(const QString &message, qsizetype position)
{
    Token token;
    token.type = Token::Type::Error;
    token.position = position;
    token.text = message;
    m_pos = m_source.size();
    return token;
}

Token Lexer::next()
{
    while (m_pos < m_source.size() && m_source[m_pos].isSpace())
        ++m_pos;
    if (m_pos >= m_source.size())
        return make(Token::Type::End, m_source.size(), 0);

    const qsizetype start = m_pos;
    const QChar c = m_source[start];
    const QChar after = start + 1 < m_source.size() ? m_source[start + 1] : QChar();
    auto compare = [this, start](Node::Op op, qsizetype length) {
        Token token = make(Token::Type::Compare, start, length);
        token.op = op;
        return token;
    };

    if (c == u'\'' || c == u'"')
        return quoted(c);
    if (isDigit(c) || (c == u'.' && isDigit(after)))
        return number();
    if (startsName(c))
        return name();

    switch (c.unicode()) {
    case u'(':
        return make(Token::Type::LeftParen, start, 1);
    case u')':
        return make(Token::Type::RightParen, start, 1);
    case u',':
        return make(Token::Type::Comma, start, 1);
    case u'+':
        return make(Token::Type::Plus, start, 1);
    case u'-':
        return make(Token::Type::Minus, start, 1);
    case u'*':
        return make(Token::Type::Star, start, 1);
    case u'/':
        return make(Token::Type::Slash, start, 1);
    case u'&':
        return make(Token::Type::Ampersand, start, 1);
    case u'=':
        if (after == u'<')
            return compare(Node::Op::Le, 2);
        if (after == u'>')
            return compare(Node::Op::Ge, 2);
        return compare(Node::Op::Eq, 1);
    case u'<':
        if (after == u'>')
            return compare(Node::Op::Ne, 2);
        if (after == u'=')
            return compare(Node::Op::Le, 2);
        return compare(Node::Op::Lt, 1);
    case u'>':
        if (after == u'=')
            return compare(Node::Op::Ge, 2);
        return compare(Node::Op::Gt, 1);
    case u'~':
        // "~=" is not equal, "~<" not less, "~>" not greater; "~" alone is NOT.
        if (after == u'=')
            return compare(Node::Op::Ne, 2);
        if (after == u'<')
            return compare(Node::Op::Ge, 2);
        if (after == u'>')
            return compare(Node::Op::Le, 2);
        return make(Token::Type::Not, start, 1);
    default:
        return error(QStringLiteral("Unexpected character %1").arg(printable(c)), start);
    }
}

Token Lexer::quoted(QChar quote)
{
    const qsizetype start = m_pos;
    QString contents;
    qsizetype i = start + 1;
    while (i < m_source.size()) {
        if (m_source[i] == quote) {
            if (i + 1 < m_source.size() && m_source[i + 1] == quote) {
                contents += quote;
                i += 2;
                continue;
            }
            Token token = make(Token::Type::Text, start, i + 1 - start);
            token.text = contents;
            return token;
        }
        contents += m_source[i];
        ++i;
    }
    return error(QStringLiteral("The text starting here has no closing %1").arg(quote), start);
}

Token Lexer::number()
{
    const qsizetype start = m_pos;
    qsizetype i = start;
    while (i < m_source.size() && isDigit(m_source[i]))
        ++i;
    if (i < m_source.size() && m_source[i] == u'.') {
        ++i;
        while (i < m_source.size() && isDigit(m_source[i]))
            ++i;
    }
    const auto value = parseNumberLiteral(m_source.sliced(start, i - start));
    if (!value)
        return error(QStringLiteral("The number is too large"), start);
    Token token = make(Token::Type::Number, start, i - start);
    token.number = *value;
    return token;
}

Token Lexer::name()
{
    const qsizetype start = m_pos;
    qsizetype i = start + 1;
    while (i < m_source.size() && continuesName(m_source[i]))
        ++i;
    const QStringView word = m_source.sliced(start, i - start);
    Token::Type type = Token::Type::Name;
    if (word.compare(u"AND", Qt::CaseInsensitive) == 0)
        type = Token::Type::And;
    else if (word.compare(u"OR", Qt::CaseInsensitive) == 0)
        type = Token::Type::Or;
    else if (word.compare(u"NOT", Qt::CaseInsensitive) == 0)
        type = Token::Type::Not;
    Token token = make(type, start, i - start);
    token.text = word.toString();
    return token;
}

} // namespace melodex::expr
