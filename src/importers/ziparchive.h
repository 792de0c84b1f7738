// Reading chosen members of a zip archive with caps on their sizes, for sources that come
// zipped (a Tellico file with its images).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace melodex::importers {

struct ZipMember
{
    QString name;
    QByteArray data;
};

struct ZipContent
{
    std::vector<ZipMember> members;
    QStringList problems; ///< members left out (too large, unreadable), for the user
    QString error;        ///< not empty: the archive could not be read at all
};

/// True when `head` starts like a zip archive.
bool looksLikeZip(const QByteArray &head);

/// True when the zip archive at `path` has a member named `name`.
bool zipHasMember(const QString &path, const QString &name);

/// The members of the zip archive at `path` that `limitFor` gives a size limit (bytes, 0 to
/// leave the member out). A member over its limit is left out with a problem, as is everything
/// after `maxTotal` bytes, so that a small archive cannot unpack into a huge one.
ZipContent readZip(const QString &path, const std::function<qint64(const QString &name)> &limitFor,
                   qint64 maxTotal);

} // namespace melodex::importers
