// The query wizard's field list and its definition text.
#include "platform/query/queryfieldlist.h"

namespace melodex::query {

int QueryFieldList::check(const QueryField &field)
{
    if (field.name.trimmed().isEmpty())
        return MalformedEntry;
    if (!QueryField::isFieldName(field.field))
        return BadFieldName;
    if (field.size < 0)
        return BadSize;
    if (field.kind != FieldKind::Text && field.kind != FieldKind::Number)
        return UnknownKind;
    if (field.input != InputStyle::FreeEntry && field.input != InputStyle::ChoiceList)
        return UnknownInputStyle;
    if (field.input == InputStyle::ChoiceList && field.choices.isEmpty())
        return ChoiceListWithoutChoices;
    return FieldListOk;
}

bool QueryFieldList::addField(const QueryField &field)
{
    if (check(field) != FieldListOk)
        return false;
    m_fields.push_back(field);
    return true;
}

int QueryFieldList::addDefinition(QStringView definition)
{
    std::vector<QueryField> added;
    for (QStringView entry : definition.split(EntrySeparator)) {
        if (entry.trimmed().isEmpty())
            continue;
        QList<QStringView> parts = entry.split(FieldSeparator);
        while (!parts.isEmpty() && parts.last().isEmpty())
            parts.removeLast();
        if (parts.size() < 7)
            return MalformedEntry;

        QueryField field;
        field.name = parts[0].toString();
        field.field = parts[2].trimmed().toString();
        field.picture = parts[3].trimmed().toString();
        bool ok = false;
        field.size = parts[4].trimmed().toInt(&ok);
        if (!ok)
            return BadSize;
        const int kind = parts[5].trimmed().toInt(&ok);
        if (!ok || (kind != int(FieldKind::Text) && kind != int(FieldKind::Number)))
            return UnknownKind;
        field.kind = FieldKind(kind);
        const int input = parts[6].trimmed().toInt(&ok);
        if (!ok || (input != int(InputStyle::FreeEntry) && input != int(InputStyle::ChoiceList)))
            return UnknownInputStyle;
        field.input = InputStyle(input);
        if (field.input == InputStyle::ChoiceList) {
            for (qsizetype i = 7; i < parts.size(); ++i) {
                for (QStringView choice : parts[i].split(u'|')) {
                    if (!choice.isEmpty())
                        field.choices << choice.toString();
                }
            }
        }
        if (const int error = check(field); error != FieldListOk)
            return error;
        added.push_back(std::move(field));
    }
    m_fields.insert(m_fields.end(), added.begin(), added.end());
    return FieldListOk;
}

} // namespace melodex::query
