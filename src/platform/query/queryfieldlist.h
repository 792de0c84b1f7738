// The query wizard's field list: the fields a window or report lets the user filter on.
#pragma once

#include "platform/query/queryfield.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace melodex::query {

/// Why a field definition text was refused (0 when it was taken).
enum FieldListError : int {
    FieldListOk = 0,
    MalformedEntry = 1,    ///< fewer subfields than an entry needs, or a blank shown name
    BadFieldName = 2,      ///< the bound name is not one plain name of the filter language
    BadSize = 3,           ///< the size is not a whole number
    UnknownKind = 4,       ///< the kind is neither 1 (text) nor 2 (number)
    UnknownInputStyle = 5, ///< the input style is neither 1 (free entry) nor 3 (choice list)
    ChoiceListWithoutChoices = 6,
};

/// The fields offered, in order, and the procedure they serve.
class QueryFieldList
{
public:
    /// Subfield separator of a definition text (the byte A6 hexadecimal).
    static constexpr QChar FieldSeparator = QChar(0xA6);
    /// Entry separator of a definition text (the byte AB hexadecimal).
    static constexpr QChar EntrySeparator = QChar(0xAB);

    /// Adds the entries of a definition text: entries separated by EntrySeparator, each holding,
    /// separated by FieldSeparator, the shown name, "0", the bound name, the picture, the size,
    /// the kind, the input style, then for a choice list its choices (one subfield each, or one
    /// subfield with the choices separated by "|"). Empty subfields at the end are ignored. On
    /// error nothing is added and the FieldListError is returned.
    int addDefinition(QStringView definition);
    /// Adds one field; false, and nothing added, when addDefinition() would refuse it.
    bool addField(const QueryField &field);
    void clear() { m_fields.clear(); }

    /// The procedure the list serves, e.g. "BROWSESONGLORE" or "PRINTDJLIST".
    void setProcedureName(const QString &name) { m_procedureName = name; }
    QString procedureName() const { return m_procedureName; }

    const std::vector<QueryField> &fields() const { return m_fields; }
    int size() const { return int(m_fields.size()); }
    bool isEmpty() const { return m_fields.empty(); }
    const QueryField &at(int i) const { return m_fields.at(size_t(i)); }

private:
    static int check(const QueryField &field);

    std::vector<QueryField> m_fields;
    QString m_procedureName;
};

} // namespace melodex::query
