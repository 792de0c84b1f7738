// The look over an import file before anything of it is written.
#include "interchange/importprecheck.h"

#include "data/records.h"
#include "interchange/importassignment.h"
#include "interchange/importconversion.h"
#include "interchange/importfile.h"
#include "interchange/interchangefields.h"

#include <vector>

namespace melodex {

namespace {

struct Column
{
    qsizetype field = -1;
    QString target;
    store::FieldDef def;
    picture::Picture picture;
    picture::Picture targetPicture;
    bool seen = false; ///< a value that is not blank
    bool read = false; ///< a value the field can read
    QString example;
    qint64 exampleLine = 0;
};

bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

QString kindOf(const store::FieldDef &def)
{
    switch (def.type) {
    case store::FieldType::Time:
        return QStringLiteral("a time");
    case store::FieldType::Date:
        return QStringLiteral("a date");
    default:
        return QStringLiteral("a number");
    }
}

} // namespace

std::optional<QString> unreadableColumn(ImportFile &file, const ImportAssignment &assignment,
                                        bool stripHeader)
{
    const store::FileLayout &songs = SongloreRecord::fileLayout();
    std::vector<Column> columns;
    for (const ImportAssignment::Target &t : assignment.targets()) {
        if (t.field < 0 || t.field >= assignment.fields().size())
            continue;
        const int index = songs.fieldIndex(t.name);
        if (index < 0 || songs.fields[size_t(index)].isText())
            continue;
        Column c;
        c.field = t.field;
        c.target = t.name;
        c.def = songs.fields[size_t(index)];
        c.picture = picture::Picture::parse(assignment.fields()[t.field].picture);
        c.targetPicture = picture::Picture::parse(defaultPicture(t.name));
        columns.push_back(std::move(c));
    }
    if (columns.empty() || !file.rewind())
        return std::nullopt;

    qsizetype open = qsizetype(columns.size()); // columns without a readable value yet
    bool first = true;
    for (ImportFile::Line line = file.readLine(); open > 0 && line != ImportFile::Line::End;
         line = file.readLine()) {
        if (line == ImportFile::Line::Failed)
            return std::nullopt;
        if (line != ImportFile::Line::Fields)
            continue;
        const bool header = (first && stripHeader) || assignment.isNamesLine(file.lineNumber());
        first = false;
        if (header)
            continue;
        const QList<CsvField> &fields = file.fields();
        for (Column &c : columns) {
            if (c.read || c.field >= fields.size() || blank(fields[c.field].text))
                continue;
            const QString &text = fields[c.field].text;
            if (convertImportValue(text, c.picture, c.def, c.targetPicture).readable) {
                c.read = true;
                --open;
            } else if (!c.seen) {
                c.seen = true;
                c.example = text.left(40);
                c.exampleLine = file.lineNumber();
            }
        }
    }
    for (const Column &c : columns) {
        if (c.seen && !c.read)
            return QStringLiteral("No value of the file's field %1 (imported into %2) can be read "
                                  "as %3; line %4 holds \"%5\". Nothing was imported.")
                .arg(assignment.fields()[c.field].name, c.target, kindOf(c.def))
                .arg(c.exampleLine)
                .arg(c.example);
    }
    return std::nullopt;
}

} // namespace melodex
