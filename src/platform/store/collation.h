// The key collation: text compared without trailing blanks, ignoring letter case for every letter.
#pragma once

#include <QString>

struct sqlite3;

namespace melodex::store {

/// Compares two UTF-8 texts as keys order them: trailing blanks never count; letters compare
/// without regard to case (É equals é); an accented letter sorts with its base letter (É among
/// the E's) and only breaks ties after the whole text compared equal without accents, so "Cafe"
/// and "Café" stay two distinct keys next to each other. Invalid UTF-8 bytes compare as Latin-1.
int compareKeyText(const char *a, int na, const char *b, int nb);
int compareKeyText(const QString &a, const QString &b);
/// A hash of a UTF-8 text as a key: texts that compareKeyText() finds equal hash alike, so keys
/// can be counted in a hash table without sorting them.
quint32 hashKeyText(const char *s, int n);

/// The bytes whose plain byte order (memcmp, shorter first) is the order compareKeyText()
/// gives, and whose equality is its equality: for engines that order keys by bytes (a
/// PostgreSQL bytea column). The trimmed text's base-letter weights, a 0 byte, then its case
/// folds, each weight plus one in an order-keeping variable-length form.
QByteArray keySortBytes(const char *s, int n);
QByteArray keySortBytes(const QString &s);

/// Registers the collation as "MDX" on a connection.
void registerKeyCollation(sqlite3 *db);

} // namespace melodex::store
