// One field the query wizard offers: its shown name, the bound name it filters on, and how a
// value for it is typed.
#pragma once

#include <QString>
#include <QStringList>

namespace melodex::query {

/// What the field holds, as the field list states it.
enum class FieldKind {
    Text = 1,   ///< compared as text, case-insensitively
    Number = 2, ///< a number, a date or a time: compared as a number
};

/// How the user gives a value for the field.
enum class InputStyle {
    FreeEntry = 1,  ///< typed
    ChoiceList = 3, ///< picked from the field's choices
};

/// How a typed value is read, decided by the kind and the picture.
enum class ValueType {
    Text,   ///< taken as typed
    Number, ///< read through the field's number picture
    Date,   ///< read through the user's date picture; a day number
    Time,   ///< read through the field's time picture; a time value
};

/// One entry of the field list.
struct QueryField
{
    QString name;    ///< shown to the user, e.g. "Artist"
    QString field;   ///< the bound name the filter uses, e.g. "MUS:Artist"
    QString picture; ///< display picture, e.g. "@s40", "@d2", "@n3"
    int size = 0;    ///< size in bytes of the field; a choice is cut to it
    FieldKind kind = FieldKind::Text;
    InputStyle input = InputStyle::FreeEntry;
    QStringList choices; ///< for InputStyle::ChoiceList, in the order offered

    ValueType valueType() const;

    /// True when `field` is one plain name of the filter language, so that a field list
    /// cannot slip operators or quotes into the filters made from it.
    static bool isFieldName(const QString &field);

    friend bool operator==(const QueryField &, const QueryField &) = default;
};

} // namespace melodex::query
