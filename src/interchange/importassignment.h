// The two lists of the import window: the file's fields and the song fields they fill.
#pragma once

#include "interchange/csvlinesplitter.h"

#include <QList>
#include <QSet>
#include <QString>

namespace melodex {

class ImportFile;

/// Which field of the import file fills which song field, and the picture each file field is
/// read with.
class ImportAssignment
{
public:
    /// A field of the import file, named by its position.
    struct Field
    {
        QString name;     ///< "Field_1", "Field_2", ...
        QString picture;  ///< "@S1000", or "@N30.9" for a number
        QString typeText; ///< "Alpha-num", "Numeric" or the picture
        QString value;    ///< its text on the line shown (at most 4000 characters)
    };
    /// A song field that can receive a value, and the file field assigned to it.
    struct Target
    {
        QString name;   ///< "MUS:Artist", ..., "CAT:Category"
        int field = -1; ///< index into fields(), -1 when unassigned
    };

    static constexpr qsizetype MaxValueLength = 4000;
    static inline const QString TextPicture = QStringLiteral("@S1000");
    static inline const QString NumberPicture = QStringLiteral("@N30.9");

    ImportAssignment();

    /// Makes one import field per field of the file's first line, each a text, showing that
    /// line; a field that is unquoted on the line after it becomes a number. The file is left
    /// after its first line, which lineNumber() then names. False when the first line has no
    /// fields.
    bool load(ImportFile &file);
    /// The same from lines already split; `second` is null when there is no second line.
    void load(const QList<CsvField> &first, const QList<CsvField> *second);

    /// Shows the values of another line (fields it lacks show empty), numbered `lineNumber`.
    void showLine(const QList<CsvField> &fields, qint64 lineNumber);
    qint64 lineNumber() const { return m_lineNumber; }

    const QList<Field> &fields() const { return m_fields; }
    const QList<Target> &targets() const { return m_targets; }

    /// Gives field `field` a new picture and recomputes its type; a blank picture changes
    /// nothing. False when nothing changed.
    bool setPicture(int field, const QString &picture);
    void assign(int field, int target);
    void unassign(int target);
    /// Assigns, to every unassigned target, the first field whose value on the line shown is
    /// the target's name (ignoring letter case and surrounding blanks), so that a header line
    /// of field names maps itself. Returns how many targets were assigned. A line that names
    /// fields here is a line of names, not a song: isNamesLine() tells the import to leave it.
    int autoAssign();
    /// Whether line `lineNumber` named the fields for autoAssign().
    bool isNamesLine(qint64 lineNumber) const { return m_namesLines.contains(lineNumber); }
    bool hasAssignments() const;
    /// The first target assigned to `field`, or -1.
    int targetOf(int field) const;
    /// The index of the target named `name` (any letter case), or -1.
    int targetIndex(const QString &name) const;

private:
    QList<Field> m_fields;
    QList<Target> m_targets;
    qint64 m_lineNumber = 0;
    QSet<qint64> m_namesLines;
};

} // namespace melodex
