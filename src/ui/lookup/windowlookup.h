// A lookup started from a window: a small progress window with Cancel while the service is
// asked, the chooser when it knows several releases, and the chosen release as an album draft.
#pragma once

#include "lookup/lookupsession.h"
#include "lookup/releasemapping.h"
#include "ui/lookup/releasechooser.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QDialog;
class QWidget;

namespace melodex::lookup {

/// The disc a lookup is for.
struct DiscContext
{
    QString discId;
    std::vector<qint32> discTimes; ///< the tracks' lengths as read (time values)
    QString cdIdentifier;
};

/// Runs one lookup for a window, never blocking it. Every outcome but a chosen release is told
/// through the message service; the object deletes itself at the end.
class WindowLookup : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(const AlbumDraft &draft)>;

    /// The releases of the disc: one is taken after the user agrees, several go to the chooser.
    static WindowLookup *lookUpDisc(QWidget *parent, const DiscContext &disc, Done done);
    /// A search by the terms; the results go to the chooser.
    static WindowLookup *search(QWidget *parent, const SearchTerms &terms, Done done);

    /// Fetches the release's front cover from the Cover Art Archive into the images folder of
    /// the data directory; `done` receives the image's path. Without a cover, or when it is no
    /// image, nothing changes and the user is told.
    static void fetchCover(QWidget *parent, const QString &releaseId,
                           std::function<void(const QString &path)> done);

    /// The one client of the windows, so that every window keeps to one request a second.
    static LookupClient &client();

    /// True when the preference "automatic lookup after a disc read" is on.
    static bool automaticAfterDiscRead();
    static void setAutomaticAfterDiscRead(bool on);

    LookupSession &session() { return *m_session; }
    /// The progress window while the service is asked (null between questions).
    QDialog *progress() const { return m_progress; }

private:
    WindowLookup(QWidget *parent, Done done);
    void showProgress(const QString &text);
    void hideProgress();
    void releasesFound(const std::vector<Release> &releases);
    void releaseReady(const Release &release);
    void failed(const QString &message, bool nothingFound, bool cancelled);
    void finish();

    QWidget *m_parent;
    Done m_done;
    LookupSession *m_session;
    QPointer<QDialog> m_progress;
    DiscContext m_disc;
    bool m_askingDisc = false; ///< the question out is the disc's, not a release's
};

} // namespace melodex::lookup
