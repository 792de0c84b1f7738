// Derived texts of the release model.
#include "lookup/release.h"

#include <QStringList>

namespace melodex::lookup {

QString creditText(const std::vector<NameCredit> &credit)
{
    QString text;
    for (const NameCredit &n : credit)
        text += n.name + n.joinPhrase;
    return text.trimmed();
}

bool Medium::hasDisc(const QString &discId) const
{
    for (const DiscEntry &d : discs)
        if (d.id == discId)
            return true;
    return false;
}

QString Release::labelText() const
{
    for (const LabelInfo &l : labels) {
        if (l.label.isEmpty() && l.catalogNumber.isEmpty())
            continue;
        if (l.label.isEmpty())
            return l.catalogNumber;
        if (l.catalogNumber.isEmpty())
            return l.label;
        return l.label + QStringLiteral(", ") + l.catalogNumber;
    }
    return {};
}

QString Release::formatText() const
{
    QStringList parts;
    std::vector<int> counts;
    for (const Medium &m : media) {
        if (m.format.isEmpty())
            continue;
        const QString &format = m.format;
        const qsizetype at = parts.indexOf(format);
        if (at >= 0) {
            ++counts[size_t(at)];
        } else {
            parts << format;
            counts.push_back(1);
        }
    }
    for (qsizetype i = 0; i < parts.size(); ++i)
        if (counts[size_t(i)] > 1)
            parts[i] = QString::number(counts[size_t(i)]) + QStringLiteral("×") + parts[i];
    return parts.join(QStringLiteral(" + "));
}

const Medium *Release::medium(int position) const
{
    for (const Medium &m : media)
        if (m.position == position)
            return &m;
    return nullptr;
}

const Medium *Release::mediumWithDisc(const QString &discId) const
{
    for (const Medium &m : media)
        if (m.hasDisc(discId))
            return &m;
    return nullptr;
}

} // namespace melodex::lookup
