// ListCustomization: the columns and list properties a user chose for a list, and their INI keys.
#pragma once

#include "browse/listformat.h"

#include <QString>

#include <vector>

namespace melodex {

/// One column a list can show: what the window offers the user to choose from.
struct ListCatalogueEntry
{
    QString field;   ///< "ALB:Artist"; at most 25 characters
    QString useName; ///< the name the column goes by in the list
    int width = 0;   ///< list units
    QString header;
    QChar justification = u'L';
    QChar headerJustification = u'L';
    QString picture = QStringLiteral("@S20");
    bool shownByDefault = true;
    bool orderable = false;
    bool resizable = false;
    bool border = false;
};

/// The look of the list apart from its columns.
struct ListProperties
{
    int x = 0, y = 0, width = 0, height = 0;
    bool horizontalScroll = false;
    bool verticalScroll = true;
    int lineHeight = 0;
    QString fontName; ///< at most 20 characters
    int fontSize = 0;
    int fontColor = 0;
    int fontStyle = 0;

    friend bool operator==(const ListProperties &, const ListProperties &) = default;
};

/// The user's layout of one list: the column catalogue, which entries are displayed and how,
/// and the list properties. Every edit keeps format() in step, so the window only has to apply
/// it. A column is tied to its catalogue entry by number (1-based), so a saved layout survives a
/// renamed header.
class ListCustomization
{
public:
    /// `designedProperties` are what the list looks like as designed; `positionCustomizable`
    /// says whether its position and size take part.
    ListCustomization(std::vector<ListCatalogueEntry> catalogue, ListProperties designedProperties,
                      bool positionCustomizable = false);

    const std::vector<ListCatalogueEntry> &catalogue() const { return m_catalogue; }
    const ListCatalogueEntry &entry(int number) const;
    /// Whether catalogue entry `number` is displayed.
    bool isDisplayed(int number) const;
    /// The displayed columns in display order; each column's `number` is its catalogue entry.
    const std::vector<ListColumn> &displayed() const { return m_displayed; }
    ListColumn &column(int index) { return m_displayed[size_t(index)]; }
    /// The list format string of the displayed columns.
    QString format() const;
    /// The format of the design: every entry shown by default, in catalogue order.
    QString designedFormat() const;

    ListProperties &properties() { return m_properties; }
    const ListProperties &properties() const { return m_properties; }
    const ListProperties &designedProperties() const { return m_designed; }
    bool positionCustomizable() const { return m_positionCustomizable; }

    /// Takes the columns of a format string (each found by its catalogue number; columns that
    /// name no entry, and second copies of one, are left out). False, changing nothing, when the
    /// text is not a format string.
    bool setFormat(const QString &format);

    /// The field that a click on the header of displayed column `index` orders the list by:
    /// its catalogue entry's field when the entry is orderable, else empty.
    QString orderField(int index) const;
    /// Caption and text of the message that displayed column `index` cannot be ordered.
    static const QString &notOrderableCaption();
    QString notOrderableText(int index) const;

    /// Moves displayed column `index` one place; false (nothing moves) at either end.
    bool moveEarlier(int index);
    bool moveLater(int index);
    /// Appends entry `number` to the displayed columns (width 10 when its width is 0). Returns
    /// the displayed index of the entry, and whether it was added (false: it was displayed
    /// already, or there is no such entry, and the index is then -1).
    std::pair<int, bool> addColumn(int number);
    /// Removes displayed column `index`.
    void hideColumn(int index);
    /// Back to the design: columns and properties.
    void resetToDesign();

    /// INI keys: "ListVersion-" + listName, "ListFormatString-" + listName, and the others.
    static QString key(const char *name, const QString &listName);
    /// Reads the saved layout from `section` of `iniFile`. Only a layout saved with `version`
    /// is applied; a stored format of "0" or one that does not parse keeps the columns, and a
    /// missing key keeps the current property.
    void load(const QString &iniFile, const QString &section, const QString &listName, int version);
    void save(const QString &iniFile, const QString &section, const QString &listName,
              int version) const;

private:
    ListColumn columnOf(int number) const;

    std::vector<ListCatalogueEntry> m_catalogue;
    std::vector<ListColumn> m_displayed;
    ListProperties m_designed;
    ListProperties m_properties;
    bool m_positionCustomizable = false;
};

} // namespace melodex
