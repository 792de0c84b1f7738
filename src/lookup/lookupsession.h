// One lookup as a window runs it: asked without blocking, cancellable, each answer read and
// checked before anything is reported.
#pragma once

#include "lookup/lookupclient.h"
#include "lookup/release.h"

#include <QObject>
#include <QPointer>

#include <vector>

namespace melodex::lookup {

/// Runs one question at a time through a client it owns. Every question ends in exactly one
/// of releasesFound, releaseReady or failed (a cancel ends in failed with cancelled true).
class LookupSession : public QObject
{
    Q_OBJECT
public:
    explicit LookupSession(const LookupSettings &settings, QObject *parent = nullptr);
    /// Asks through `client`, which is shared and outlives the session.
    explicit LookupSession(LookupClient &client, QObject *parent = nullptr);

    /// The releases that contain the disc.
    void lookUpDisc(const QString &discId);
    /// The releases a search finds.
    void search(const QString &artist, const QString &album, const QString &barcode = {},
                const QString &format = {});
    /// One release with its media and tracks.
    void fetchRelease(const QString &mbid);
    void cancel();
    bool busy() const { return !m_reply.isNull(); }

    LookupClient &client() { return *m_client; }
    /// The MusicBrainz page of a disc ID, where the user can add the disc.
    static QString discPage(const QString &discId);

Q_SIGNALS:
    void releasesFound(const std::vector<melodex::lookup::Release> &releases);
    void releaseReady(const melodex::lookup::Release &release);
    /// `nothingFound` tells "the service has no such thing" from a failure.
    void failed(const QString &message, bool nothingFound, bool cancelled);

private:
    enum class Question { Disc, Search, Release };
    void ask(const QUrl &url, Question question, const QString &subject);
    void answered(LookupReply *reply, Question question, const QString &subject);

    LookupClient *m_client;
    QPointer<LookupReply> m_reply;
};

} // namespace melodex::lookup
