// A scratch data directory with the store pointed at it, for store tests.
#pragma once

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace melodex::test {

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        store::Store::instance().setDataDirectory(m_dir.path());
    }
    void TearDown() override { store::Store::instance().closeAll(); }

    QString dir() const { return m_dir.path(); }

    /// Opens a file through the counted opener, creating it when missing.
    static void openFile(store::KeyedFile &f)
    {
        int rc = f.open();
        if (rc == store::NoFileErr) {
            ASSERT_EQ(f.create(), 0);
            rc = f.open();
        }
        ASSERT_EQ(rc, 0) << store::lastError().text.toStdString()
                         << store::lastError().driverText.toStdString();
        f.useCount = 1;
    }

    /// Adds a song with the given values; returns the add's result.
    static int addSong(const QString &artist, const QString &title, qint32 id = 0,
                       qint32 category = 0, const QString &media = QStringLiteral("CD"))
    {
        MUS.clear();
        MUS.Artist = artist;
        MUS.Title = title;
        MUS.ID = id;
        MUS.CategoryID = category;
        MUS.Media = media;
        return Songlore.add();
    }

    /// Titles of the songs in the order of `key`, walking forward.
    static QStringList walk(int key, bool forward = true)
    {
        QStringList out;
        Songlore.set(key);
        while ((forward ? Songlore.next() : Songlore.previous()) == 0)
            out << MUS.Title;
        return out;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace melodex::test
