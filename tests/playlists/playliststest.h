// Scratch playlist, entry and song files with scripted message answers.
#pragma once

#include "../platform/store/storetestfixture.h"

#include "scriptedmessageservice.h"

namespace melodex::test {

class PlaylistsTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        for (store::KeyedFile *f : {&PlaylistMaster, &PlaylistDetails, &Songlore, &Categories})
            openFile(*f);
        m_previous = MessageService::setInstance(&messages);
    }
    void TearDown() override
    {
        MessageService::setInstance(m_previous);
        StoreTest::TearDown();
    }

    static void addPlaylist(qint32 id, const QString &description)
    {
        PLD.clear();
        PLD.PlaylistID = id;
        PLD.PlaylistDescription = description;
        ASSERT_EQ(PlaylistMaster.add(), 0);
    }
    static void addEntry(qint32 playlist, qint64 seq, qint64 song, const QString &notes = {})
    {
        PLA.clear();
        PLA.PlaylistID = playlist;
        PLA.PlaylistSeq = seq;
        PLA.ID = song;
        PLA.PlaylistNotes = notes;
        ASSERT_EQ(PlaylistDetails.add(), 0);
    }
    /// Adds song `id` with a release date, category and running time.
    static void addSong(qint32 id, qint32 released = 0, qint32 category = 0, qint32 time = 0)
    {
        MUS.clear();
        MUS.ID = id;
        MUS.Title = QStringLiteral("Song %1").arg(id);
        MUS.ReleaseDate = released;
        MUS.CategoryID = category;
        MUS.Time = time;
        ASSERT_EQ(Songlore.add(), 0);
    }
    /// The entries of `playlist` in sequence order: their song numbers.
    static std::vector<qint64> songsOf(qint32 playlist)
    {
        std::vector<qint64> out;
        PLA.clear();
        PLA.PlaylistID = playlist;
        PlaylistDetails.setFromBuffer(PlaylistDetailsRecord::KeyPlaylistID);
        while (PlaylistDetails.next() == 0 && PLA.PlaylistID == playlist)
            out.push_back(PLA.ID);
        return out;
    }

    ScriptedMessageService messages;

private:
    MessageService *m_previous = nullptr;
};

} // namespace melodex::test
