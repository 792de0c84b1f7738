// Sample catalogues for the record-change tests: categories, media, albums, songs and playlists.
#pragma once

#include "ritestfixture.h"

#include "data/recordchanges.h"
#include "platform/store/collation.h"

#include <QList>

#include <sqlite3.h>

namespace melodex::test {

class RecordChangeTest : public MessageTest
{
protected:
    void SetUp() override
    {
        MessageTest::SetUp();
        openAll();
    }

    static void openAll()
    {
        for (store::KeyedFile *f : {&Songlore, &Categories, &Album, &Media, &PlaylistMaster,
                                    &PlaylistDetails, &Labels, &Fonts, &AddWizard})
            openFile(*f);
    }

    /// Runs SQL on a data file through a connection of its own (to inject a failure), with every
    /// file closed meanwhile and opened again after.
    void runSql(const QString &fileName, const QString &sql)
    {
        store::Store::instance().closeAll();
        sqlite3 *db = nullptr;
        const QByteArray path = (dir() + u'/' + fileName + QStringLiteral(".db")).toUtf8();
        ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        store::registerKeyCollation(db);
        char *error = nullptr;
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
        openAll();
    }

    static void addCategory(qint64 id, const QString &name)
    {
        CAT.clear();
        CAT.CategoryID = id;
        CAT.Category = name;
        ASSERT_EQ(Categories.add(), 0);
    }
    static void addMedia(const QString &name)
    {
        MED.clear();
        MED.Media = name;
        ASSERT_EQ(Media.add(), 0);
    }
    static void addAlbum(qint32 id, const QString &title)
    {
        ALB.clear();
        ALB.AlbumID = id;
        ALB.Album = title;
        ALB.Artist = QStringLiteral("Various");
        ASSERT_EQ(Album.add(), 0);
    }
    static void addSongOf(qint32 id, const QString &artist, qint32 category,
                          const QString &media = QStringLiteral("CD"), qint32 album = 0,
                          quint8 track = 0)
    {
        MUS.clear();
        MUS.ID = id;
        MUS.Artist = artist;
        MUS.Title = QStringLiteral("Song %1").arg(id);
        MUS.FileNumber = QStringLiteral("F%1").arg(100 - id);
        MUS.CategoryID = category;
        MUS.Media = media;
        MUS.AlbumID = album;
        MUS.TrackNumber = track;
        ASSERT_EQ(Songlore.add(), 0);
    }
    static void addPlaylist(qint32 id)
    {
        PLD.clear();
        PLD.PlaylistID = id;
        PLD.PlaylistDescription = QStringLiteral("Playlist %1").arg(id);
        ASSERT_EQ(PlaylistMaster.add(), 0);
    }
    static void addEntry(qint32 playlist, qint64 seq, qint64 song)
    {
        PLA.clear();
        PLA.PlaylistID = playlist;
        PLA.PlaylistSeq = seq;
        PLA.ID = song;
        ASSERT_EQ(PlaylistDetails.add(), 0);
    }

    /// Every song's MUS:ID in number order.
    static QList<qint32> songIds()
    {
        QList<qint32> out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out << MUS.ID;
        return out;
    }
    /// "ID:value" of one field of every song, in number order.
    static QStringList songField(const char *field)
    {
        const int f = SongloreRecord::fileLayout().fieldIndex(QString::fromLatin1(field));
        QStringList out;
        Songlore.set(SongloreRecord::KeyID);
        while (Songlore.next() == 0)
            out << QStringLiteral("%1:%2").arg(MUS.ID).arg(MUS.value(f).toString());
        return out;
    }
    static qint64 entriesOf(qint32 playlist)
    {
        qint64 n = 0;
        PlaylistDetails.set(PlaylistDetailsRecord::KeyPlaylistID);
        while (PlaylistDetails.next() == 0)
            n += PLA.PlaylistID == playlist;
        return n;
    }

    static int loadCategory(qint64 id)
    {
        CAT.clear();
        CAT.CategoryID = id;
        return Categories.get(CategoriesRecord::KeyCategoryID);
    }
    static int loadMedia(const QString &name)
    {
        MED.clear();
        MED.Media = name;
        return Media.get(MediaRecord::KeyMedia);
    }
    static int loadAlbum(qint32 id)
    {
        ALB.clear();
        ALB.AlbumID = id;
        return Album.get(AlbumRecord::KeyAlbumID);
    }
    static int loadSong(qint32 id)
    {
        MUS.clear();
        MUS.ID = id;
        return Songlore.get(SongloreRecord::KeyID);
    }
    static int loadPlaylist(qint32 id)
    {
        PLD.clear();
        PLD.PlaylistID = id;
        return PlaylistMaster.get(PlaylistMasterRecord::KeyPlaylistID);
    }
};

} // namespace melodex::test
