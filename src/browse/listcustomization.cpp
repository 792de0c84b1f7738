// The user's layout of a list: editing the displayed columns, and the layout's INI keys.
#include "browse/listcustomization.h"

#include "platform/profile/profile.h"
#include "platform/store/cliptext.h"

#include <algorithm>

namespace melodex {

using store::clipped;

namespace {
constexpr int MaxFormat = 1024;
constexpr int MaxFontName = 20;
} // namespace

ListCustomization::ListCustomization(std::vector<ListCatalogueEntry> catalogue,
                                     ListProperties designedProperties, bool positionCustomizable)
    : m_catalogue(std::move(catalogue)), m_designed(std::move(designedProperties)),
      m_positionCustomizable(positionCustomizable)
{
    resetToDesign();
}

const ListCatalogueEntry &ListCustomization::entry(int number) const
{
    return m_catalogue.at(size_t(number - 1));
}

QString ListCustomization::orderField(int index) const
{
    if (index < 0 || size_t(index) >= m_displayed.size())
        return {};
    const int number = m_displayed[size_t(index)].number;
    if (number < 1 || size_t(number) > m_catalogue.size() || !entry(number).orderable)
        return {};
    return entry(number).field;
}

const QString &ListCustomization::notOrderableCaption()
{
    static const QString caption = QStringLiteral("List Format - Re-Order Option");
    return caption;
}

QString ListCustomization::notOrderableText(int index) const
{
    if (index < 0 || size_t(index) >= m_displayed.size())
        return {};
    const ListColumn &column = m_displayed[size_t(index)];
    const QString field = column.number >= 1 && size_t(column.number) <= m_catalogue.size()
                              ? entry(column.number).field
                              : QString();
    return QStringLiteral("Data cannot be ordered on column: ") + clipped(column.header) + u'(' +
           clipped(field) + u')';
}

bool ListCustomization::isDisplayed(int number) const
{
    return std::any_of(m_displayed.begin(), m_displayed.end(),
                       [number](const ListColumn &c) { return c.number == number; });
}

ListColumn ListCustomization::columnOf(int number) const
{
    const ListCatalogueEntry &e = entry(number);
    ListColumn c;
    c.width = e.width;
    c.justification = e.justification;
    c.header = e.header;
    c.headerJustification = e.headerJustification;
    c.picture = e.picture.isEmpty() ? QStringLiteral("@S20") : e.picture;
    c.number = number;
    c.resizable = e.resizable;
    c.border = e.border;
    return c;
}

QString ListCustomization::format() const
{
    return ListFormat{m_displayed}.toString();
}

QString ListCustomization::designedFormat() const
{
    ListFormat f;
    for (int n = 1; n <= int(m_catalogue.size()); ++n)
        if (entry(n).shownByDefault)
            f.columns.push_back(columnOf(n));
    return f.toString();
}

bool ListCustomization::setFormat(const QString &format)
{
    const auto parsed = ListFormat::parse(format);
    if (!parsed)
        return false;
    std::vector<ListColumn> columns;
    for (const ListColumn &c : parsed->columns) {
        const bool known = c.number >= 1 && c.number <= int(m_catalogue.size());
        const bool twice = std::any_of(columns.begin(), columns.end(),
                                       [&c](const ListColumn &d) { return d.number == c.number; });
        if (known && !twice)
            columns.push_back(c);
    }
    m_displayed = std::move(columns);
    return true;
}

bool ListCustomization::moveEarlier(int index)
{
    if (index <= 0 || index >= int(m_displayed.size()))
        return false;
    std::swap(m_displayed[size_t(index)], m_displayed[size_t(index - 1)]);
    return true;
}

bool ListCustomization::moveLater(int index)
{
    if (index < 0 || index + 1 >= int(m_displayed.size()))
        return false;
    std::swap(m_displayed[size_t(index)], m_displayed[size_t(index + 1)]);
    return true;
}

std::pair<int, bool> ListCustomization::addColumn(int number)
{
    if (number < 1 || number > int(m_catalogue.size()))
        return {-1, false};
    for (size_t i = 0; i < m_displayed.size(); ++i)
        if (m_displayed[i].number == number)
            return {int(i), false};
    ListColumn c = columnOf(number);
    if (c.width == 0)
        c.width = 10;
    m_displayed.push_back(std::move(c));
    return {int(m_displayed.size()) - 1, true};
}

void ListCustomization::hideColumn(int index)
{
    if (index >= 0 && index < int(m_displayed.size()))
        m_displayed.erase(m_displayed.begin() + index);
}

void ListCustomization::resetToDesign()
{
    m_displayed.clear();
    for (int n = 1; n <= int(m_catalogue.size()); ++n)
        if (entry(n).shownByDefault)
            m_displayed.push_back(columnOf(n));
    m_properties = m_designed;
}

// --- the INI keys
// ----------------------------------------------------------------------------------

QString ListCustomization::key(const char *name, const QString &listName)
{
    return QLatin1String(name) + u'-' + listName;
}

void ListCustomization::load(const QString &iniFile, const QString &section,
                             const QString &listName, int version)
{
    if (Profile::readInt(iniFile, section, key("ListVersion", listName), 0) != version)
        return;
    const QString format = Profile::readString(iniFile, section, key("ListFormatString", listName));
    if (!format.isEmpty() && format != QStringLiteral("0") && format.size() <= MaxFormat)
        setFormat(format);
    auto readInt = [&](const char *name, int &value) {
        value = Profile::readInt(iniFile, section, key(name, listName), value);
    };
    auto readBool = [&](const char *name, bool &value) {
        value = Profile::readInt(iniFile, section, key(name, listName), value ? 1 : 0) != 0;
    };
    ListProperties &p = m_properties;
    if (m_positionCustomizable) {
        readInt("ListXpos", p.x);
        readInt("ListYpos", p.y);
        readInt("ListWidth", p.width);
        readInt("ListHeight", p.height);
    }
    readBool("ListHscroll", p.horizontalScroll);
    readBool("ListVscroll", p.verticalScroll);
    readInt("ListLineHeight", p.lineHeight);
    p.fontName = Profile::readString(iniFile, section, key("ListFont", listName), p.fontName)
                     .left(MaxFontName);
    readInt("ListPoint", p.fontSize);
    readInt("ListColor", p.fontColor);
    readInt("ListStyle", p.fontStyle);
}

void ListCustomization::save(const QString &iniFile, const QString &section,
                             const QString &listName, int version) const
{
    auto writeInt = [&](const char *name, int value) {
        Profile::writeInt(iniFile, section, key(name, listName), value);
    };
    const ListProperties &p = m_properties;
    writeInt("ListVersion", version);
    Profile::writeString(iniFile, section, key("ListFormatString", listName),
                         format().left(MaxFormat));
    writeInt("ListXpos", p.x);
    writeInt("ListYpos", p.y);
    writeInt("ListWidth", p.width);
    writeInt("ListHeight", p.height);
    writeInt("ListHscroll", p.horizontalScroll ? 1 : 0);
    writeInt("ListVscroll", p.verticalScroll ? 1 : 0);
    writeInt("ListLineHeight", p.lineHeight);
    Profile::writeString(iniFile, section, key("ListFont", listName), p.fontName.left(MaxFontName));
    writeInt("ListPoint", p.fontSize);
    writeInt("ListColor", p.fontColor);
    writeInt("ListStyle", p.fontStyle);
}

} // namespace melodex
