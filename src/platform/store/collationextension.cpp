// A loadable SQLite extension that registers the keys' collation, so that standard tools (the
// sqlite3 shell's integrity_check, for one) can read and check the data files.
#include "platform/store/collation.h"

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

namespace {

int collate(void *, int na, const void *a, int nb, const void *b)
{
    return melodex::store::compareKeyText(static_cast<const char *>(a), na,
                                          static_cast<const char *>(b), nb);
}

} // namespace

// The shell derives this name from the file name libmelodex_collation.so.
extern "C" __attribute__((visibility("default"))) int
sqlite3_melodexcollation_init(sqlite3 *db, char **, const sqlite3_api_routines *api)
{
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_collation_v2(db, "MDX", SQLITE_UTF8, nullptr, collate, nullptr);
}
