// The two lists of the import window: the file's fields and the song fields they fill.
#include "interchange/importassignment.h"

#include "interchange/importfile.h"
#include "interchange/interchangefields.h"

namespace melodex {

ImportAssignment::ImportAssignment()
{
    for (const QString &name : importTargetNames())
        m_targets.append(Target{name, -1});
}

bool ImportAssignment::load(ImportFile &file)
{
    if (!file.rewind() || file.readFieldLine() != ImportFile::Line::Fields)
        return false;
    const QList<CsvField> first = file.fields();
    const qint64 firstLine = file.lineNumber();
    const bool hasSecond = file.readFieldLine() == ImportFile::Line::Fields;
    const QList<CsvField> second = hasSecond ? file.fields() : QList<CsvField>();
    load(first, hasSecond ? &second : nullptr);
    if (!file.rewind() || file.readFieldLine() != ImportFile::Line::Fields)
        return false;
    m_lineNumber = firstLine;
    return true;
}

void ImportAssignment::load(const QList<CsvField> &first, const QList<CsvField> *second)
{
    m_fields.clear();
    m_namesLines.clear();
    for (Target &t : m_targets)
        t.field = -1;
    for (qsizetype i = 0; i < first.size(); ++i) {
        const bool number = second && i < second->size() && !second->at(i).quoted;
        const QString picture = number ? NumberPicture : TextPicture;
        m_fields.append(Field{QStringLiteral("Field_") + QString::number(i + 1), picture,
                              importTypeText(picture), first[i].text.left(MaxValueLength)});
    }
    m_lineNumber = 1;
}

void ImportAssignment::showLine(const QList<CsvField> &fields, qint64 lineNumber)
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        m_fields[i].value = i < fields.size() ? fields[i].text.left(MaxValueLength) : QString();
    m_lineNumber = lineNumber;
}

bool ImportAssignment::setPicture(int field, const QString &picture)
{
    if (field < 0 || field >= m_fields.size() || picture.trimmed().isEmpty())
        return false;
    Field &f = m_fields[field];
    f.picture = picture.trimmed();
    f.typeText = importTypeText(f.picture);
    return true;
}

void ImportAssignment::assign(int field, int target)
{
    if (field < 0 || field >= m_fields.size() || target < 0 || target >= m_targets.size())
        return;
    m_targets[target].field = field;
}

void ImportAssignment::unassign(int target)
{
    if (target >= 0 && target < m_targets.size())
        m_targets[target].field = -1;
}

int ImportAssignment::autoAssign()
{
    int assigned = 0;
    bool namesFields = false;
    for (Target &t : m_targets) {
        for (qsizetype i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i].value.trimmed().compare(t.name, Qt::CaseInsensitive) == 0) {
                namesFields = true;
                if (t.field < 0) {
                    t.field = int(i);
                    ++assigned;
                }
                break;
            }
        }
    }
    if (namesFields)
        m_namesLines.insert(m_lineNumber);
    return assigned;
}

bool ImportAssignment::hasAssignments() const
{
    for (const Target &t : m_targets) {
        if (t.field >= 0)
            return true;
    }
    return false;
}

int ImportAssignment::targetOf(int field) const
{
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        if (m_targets[i].field == field)
            return int(i);
    }
    return -1;
}

int ImportAssignment::targetIndex(const QString &name) const
{
    for (qsizetype i = 0; i < m_targets.size(); ++i) {
        if (m_targets[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace melodex
