// Reading the values other programs write (lengths, dates, ratings, prices) into the forms a
// source collection holds, shared by the readers of those programs' files.
#pragma once

#include "importers/collection.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace melodex::importers {

/// A running time as "3:45", "1:02:03", "0:03:45" or plain seconds ("225"), in seconds. Seconds
/// or minutes of 60 and more carry over ("4:60" is five minutes), as players read them. -1 when
/// the text is not a length; 0 for an empty text.
int parseLength(QStringView text);

/// How a source orders a date's numbers when it writes them with slashes.
enum class DateOrder { YearFirst, DayFirst, MonthFirst };

/// A date as "2001-05-04", "2001/05/04", "04/05/2001" (per `order`), "2001-05" or "2001"; the
/// empty date when the text holds none (also "0" and "0000").
SourceDate parseSourceDate(QStringView text, DateOrder order = DateOrder::YearFirst);

/// A rating of `value` out of `outOf` in the catalogue's form, which holds two characters: "1"
/// to "5"; empty for none.
QString ratingOutOfFive(double value, double outOf);

/// A price as "12.99", "$12.99", "12,99 €", "EUR 1.234,50" or "1,234.50", in cents; -1 when the
/// text holds no price.
qint64 parsePriceCents(QStringView text);

/// Adds "label: value" as a line of `notes` when `value` is not empty.
void appendNote(QString &notes, const QString &label, const QString &value);

/// The names, each once (compared without case and surrounding blanks), joined by `separator`.
QString joinDistinct(const QStringList &names, const QString &separator = QStringLiteral("; "));

/// Plain text from a text that may hold simple HTML (line breaks, paragraphs, entities).
QString plainText(const QString &text);

/// The most bytes a cover image may have.
inline constexpr qint64 MaxCoverBytes = 16 * 1024 * 1024;

/// Reads the image file `reference` names, relative to the folder of `sourceFile` (slashes of
/// either kind), into `album`'s cover. Only files inside that folder are read; anything else,
/// a missing file or one over MaxCoverBytes, is a problem at `line`.
void readCoverBeside(const QString &sourceFile, const QString &reference, SourceAlbum &album,
                     int line, std::vector<SourceProblem> &problems);

/// "jpg", "png", "gif", "bmp" or "webp" from an image's first bytes; empty when none of these.
QString imageSuffix(const QByteArray &data);

} // namespace melodex::importers
