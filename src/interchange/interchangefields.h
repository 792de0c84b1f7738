// The song fields that import and export offer, with the pictures they are written with.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace melodex {

/// A field of the export list: its name and the picture it is written with.
struct InterchangeField
{
    QString name;    ///< "MUS:Artist", "CAT:Category"
    QString picture; ///< "@s40"

    friend bool operator==(const InterchangeField &, const InterchangeField &) = default;
};

/// The 24 fields an export can write, in their order, with their default pictures.
const QList<InterchangeField> &exportableFields();

/// The import targets: the 23 song fields that can receive a value, then "CAT:Category", which
/// finds the song's category by name and adds a category that does not exist yet.
const QStringList &importTargetNames();

/// The default export picture of `name` (any letter case); empty when it is not exportable.
QString defaultPicture(const QString &name);

/// The category name target, which is not a song field.
inline const QString CategoryNameField = QStringLiteral("CAT:Category");

/// "Alpha-num" for a picture of letter S, "Numeric" for N, otherwise the picture itself: the
/// type column of the import window.
QString importTypeText(const QString &picture);

/// "Alpha-numeric" for a picture of letter S, "Numeric" for N, otherwise the picture itself:
/// the picture display of the export window.
QString exportKindText(const QString &picture);

/// Why `picture` cannot be used for import or export, as the message text; empty when it can.
/// A picture must begin with "@" and be one that values can be read and written with.
QString pictureRefusal(const QString &picture);

} // namespace melodex
