// ConvertDateToYear and ConvertAlbumDateToYear: release dates turned into bare years.
#pragma once

#include "maintenance/recordscanrun.h"

#include <memory>

namespace melodex {

/// Replaces every release date (a day number, any value above 3000) by its year, in the songs
/// file (in ID order) or the album file (in stored order). Years and zeros stay as they are;
/// only records that change are written.
class DateToYearRun : public RecordScanRun
{
public:
    /// ConvertDateToYear: the songs' release dates.
    static std::unique_ptr<DateToYearRun> songs();
    /// ConvertAlbumDateToYear: the albums' release dates.
    static std::unique_ptr<DateToYearRun> albums();

    /// The year that `value` converts to; `value` itself when it is no date.
    static qint32 converted(qint64 value);

protected:
    Outcome handle(const store::Cursor::Row &row) override;

private:
    DateToYearRun(store::KeyedFile &file, int order, const QString &subtitle);

    int m_field;
};

} // namespace melodex
