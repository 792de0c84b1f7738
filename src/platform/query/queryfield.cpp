// One field the query wizard offers, and how its values are typed.
#include "platform/query/queryfield.h"

#include "platform/expr/lexer.h"
#include "platform/picture/picture.h"

namespace melodex::query {

ValueType QueryField::valueType() const
{
    if (kind == FieldKind::Text)
        return ValueType::Text;
    switch (picture::Picture::parse(picture).kind()) {
    case picture::Picture::Kind::Date:
        return ValueType::Date;
    case picture::Picture::Kind::Time:
        return ValueType::Time;
    default:
        return ValueType::Number;
    }
}

bool QueryField::isFieldName(const QString &field)
{
    expr::Lexer lexer(field);
    const expr::Token token = lexer.next();
    return token.type == expr::Token::Type::Name && token.position == 0 &&
           token.length == field.size() && lexer.next().type == expr::Token::Type::End;
}

} // namespace melodex::query
