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

/// Registers the collation as "MDX" on a connection.
void registerKeyCollation(sqlite3 *db);

} // namespace melodex::store
