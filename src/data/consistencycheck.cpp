// The check of every data file and of the links between them.
#include "data/consistencycheck.h"

#include "data/externalids.h"
#include "data/records.h"
#include "platform/store/engine.h"

#include <QFileInfo>

namespace melodex {

using store::FileCheck;
using store::KeyedFile;

namespace {

// The rows of `from` whose non-zero `field` names no record of `to` by `toField`.
void checkLink(FileCheck &check, const KeyedFile &from, const QString &field, const KeyedFile &to,
               const QString &toField, const QString &what)
{
    const QString rows = QStringLiteral("SELECT count(*) FROM \"%1\".rec r WHERE r.\"%2\"<>0")
                             .arg(from.label(), field);
    const QString text = QStringLiteral("%1 ") + what;
    // An emptied file holds no records either (the check of the file itself says it is empty).
    if (!store::currentEngine() &&
        (!QFileInfo::exists(to.name()) || QFileInfo(to.name()).size() == 0)) {
        check.countFaults({&from}, from, rows, text);
        return;
    }
    check.countFaults({&from, &to}, from,
                      rows + QStringLiteral(" AND NOT EXISTS(SELECT 1 FROM \"%1\".rec t WHERE "
                                            "t.\"%2\"=r.\"%3\")")
                                 .arg(to.label(), toField, field),
                      text);
}

} // namespace

std::vector<store::CheckFinding> checkConsistency(FileCheck::Depth depth,
                                                  std::vector<store::CheckFinding> *notes)
{
    FileCheck check;
    for (const KeyedFile *file : allFiles())
        check.checkFile(*file, depth);
    check.checkFile(ExternalIds, depth);
    check.countFaults({&Songlore}, Songlore,
                      QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM \"%1\".rec WHERE "
                                     "\"ID\"<>0 GROUP BY \"ID\" HAVING count(*)>1) AS d")
                          .arg(Songlore.label()),
                      QStringLiteral("%1 song numbers are given to more than one song"));
    checkLink(check, Songlore, QStringLiteral("CategoryID"), Categories,
              QStringLiteral("CategoryID"),
              QStringLiteral("songs name a category that does not exist"));
    checkLink(check, Songlore, QStringLiteral("AlbumID"), Album, QStringLiteral("AlbumID"),
              QStringLiteral("songs name an album that does not exist"));
    checkLink(check, Album, QStringLiteral("CategoryID"), Categories, QStringLiteral("CategoryID"),
              QStringLiteral("albums name a category that does not exist"));
    checkLink(check, ExternalIds, QStringLiteral("AlbumID"), Album, QStringLiteral("AlbumID"),
              QStringLiteral("external identifiers name an album that does not exist"));
    if (notes)
        *notes = check.notes();
    return check.findings();
}

} // namespace melodex
