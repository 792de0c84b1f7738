// The song fields that import and export offer, with the pictures they are written with.
#include "interchange/interchangefields.h"

#include "platform/picture/picture.h"

namespace melodex {

namespace {

InterchangeField field(const char *name, const char *picture)
{
    return {QString::fromLatin1(name), QString::fromLatin1(picture)};
}

QChar letterOf(const QString &picture)
{
    const QString text = picture.trimmed();
    return text.size() >= 2 && text.at(0) == u'@' ? text.at(1).toUpper() : QChar();
}

} // namespace

const QList<InterchangeField> &exportableFields()
{
    static const QList<InterchangeField> fields{
        field("MUS:Artist", "@s40"),
        field("MUS:Title", "@s40"),
        field("MUS:Album", "@s40"),
        field("MUS:Media", "@s20"),
        field("MUS:FileNumber", "@s20"),
        field("MUS:ReleaseDate", "@d2"),
        field("MUS:CategoryID", "@n-13"),
        field("MUS:ChartNumber", "@n3"),
        field("MUS:TrackNumber", "@n3"),
        field("MUS:Side", "@s1"),
        field("MUS:Time", "@t4"),
        field("MUS:UserDefinedKeyField", "@s30"),
        field("MUS:AdditionalInformation1", "@s80"),
        field("MUS:AdditionalInformation2", "@s80"),
        field("MUS:AdditionalInformation3", "@s80"),
        field("MUS:BeatsPerMinute", "@n_4b"),
        field("MUS:Style", "@s30"),
        field("MUS:Recording", "@s255"),
        field("MUS:Composer", "@s80"),
        field("MUS:PerformanceNotes", "@s255"),
        field("MUS:LastPlayed", "@d17-"),
        field("MUS:Notes", "@s255"),
        field("MUS:Rating", "@s2"),
        field("CAT:Category", "@s30"),
    };
    return fields;
}

const QStringList &importTargetNames()
{
    // The song fields in the export's order, which ends with the category name.
    static const QStringList names = [] {
        QStringList out;
        for (const InterchangeField &f : exportableFields())
            out << f.name;
        return out;
    }();
    return names;
}

QString defaultPicture(const QString &name)
{
    for (const InterchangeField &f : exportableFields()) {
        if (f.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return f.picture;
    }
    return {};
}

QString importTypeText(const QString &picture)
{
    const QChar letter = letterOf(picture);
    if (letter == u'S')
        return QStringLiteral("Alpha-num");
    if (letter == u'N')
        return QStringLiteral("Numeric");
    return picture.trimmed();
}

QString exportKindText(const QString &picture)
{
    const QChar letter = letterOf(picture);
    if (letter == u'S')
        return QStringLiteral("Alpha-numeric");
    if (letter == u'N')
        return QStringLiteral("Numeric");
    return picture.trimmed();
}

QString pictureRefusal(const QString &picture)
{
    const QString text = picture.trimmed();
    if (!text.startsWith(u'@'))
        return QStringLiteral("Pictures must begin with \"@\"");
    const picture::Picture parsed = picture::Picture::parse(text);
    if (!parsed.isValid())
        return text + QStringLiteral(" is not a picture: ") + parsed.errorText();
    return {};
}

} // namespace melodex
