// ListFormat: the column format string of a list, and the copy of it kept in SGL97.INI.
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace melodex {

/// One column of a list.
struct ListColumn
{
    int width = 0;              ///< list units (a quarter of an average character)
    QChar justification = u'L'; ///< L, R, C or D (decimal)
    int indent = 0;             ///< of the field text
    QString header;             ///< at most 25 characters
    QChar headerJustification = u'L';
    int headerIndent = 0;
    QString picture = QStringLiteral("@S20"); ///< "@s30", "@d17b", ...
    int number = 0; ///< catalogue number of the field shown; 0: the column's place
    bool fixed = false;
    bool underline = false;
    bool resizable = false;
    bool border = false;

    friend bool operator==(const ListColumn &, const ListColumn &) = default;
};

/// A list's format string, one column after another:
/// width, justification, optional "(indent)", "~header~", header justification, optional
/// "(indent)", the picture closed by "@", optional "#number#", then "F", "_", "M", "|" for fixed,
/// underline, resizable and right border. "80L~Category~L@s30@" is one left-aligned column.
class ListFormat
{
public:
    std::vector<ListColumn> columns;

    /// Nothing when the text is not a format string (a damaged INI value must not empty a list).
    static std::optional<ListFormat> parse(QStringView text);
    QString toString() const;

    /// Replaces every date picture by the picture of the date preference (e.g. "d2"), keeping
    /// its blank-when-zero flag.
    void applyDateFormat(QStringView preference);
    /// The same for a format string; a text that does not parse is returned unchanged.
    static QString withDateFormat(const QString &format, QStringView preference);

    /// The format a list opens with: the saved one ("SRCF" + list name in `section` of
    /// `iniFile`) when it was saved against the same designed format ("SRCFOriginal" + list
    /// name) and still parses; otherwise `designed`, which is then recorded as the design the
    /// next saved format belongs to.
    static QString restore(const QString &iniFile, const QString &section, const QString &listName,
                           const QString &designed);
    /// Keeps the list's current format for the next opening.
    static void save(const QString &iniFile, const QString &section, const QString &listName,
                     const QString &format);

    friend bool operator==(const ListFormat &, const ListFormat &) = default;
};

} // namespace melodex
