// UpdateAddWizard: the track editor of the album entry wizard.
#pragma once

#include "browse/formsession.h"
#include "data/records.h"
#include "ui/form/formcall.h"

#include <QDialog>

class QLineEdit;

namespace melodex {

/// Adds, changes or deletes one scratch track of wizard `instance`: "Track:", "&Artist:" (only
/// for a compilation, `UpdateAddWizard`; without it the form is `UpdateAddWizardNoArtist`),
/// "&Title:", "T&ime:" (h:mm:ss). A record form like the others: a new track is numbered after
/// the highest of the wizard and added at once (Cancel takes it away again; three failed adds ask
/// whether to retry), a track number another track has is refused under "Track Order", a change
/// goes through the record-change layer (a track changed meanwhile by another window is shown as
/// it is now) and a delete asks first. Track numbers run from 1 to 99, what the field holds.
/// Ctrl+' copies the focused field from the last track saved. The window keeps its place.
class UpdateAddWizard : public QDialog
{
    Q_OBJECT
public:
    UpdateAddWizard(int request, qint64 instance, bool withArtist, QWidget *parent = nullptr);

    /// For insert, numbers and adds the track; for delete, asks and deletes. True when the
    /// window is to be shown.
    bool start();

    /// Runs the editor for `request` on the track in the AW buffer (change, delete) or a new
    /// one (insert), modal to `caller` only; `then` gets the response.
    static void run(QWidget *caller, int request, qint64 instance, bool withArtist, FormDone then);

    /// "OK" once a form was confirmed, "Cancel" from its opening until then: the result that
    /// Edit All Songs reads.
    static QString resultText();
    static void clearDitto();

    QLineEdit *trackEdit() const { return m_track; }
    QLineEdit *artistEdit() const { return m_artist; }
    QLineEdit *titleEdit() const { return m_title; }
    QLineEdit *timeEdit() const { return m_time; }

    /// "h:mm:ss" or "m:ss" to a time value (0 for blank); nullopt when it is no time.
    static std::optional<qint32> parseTime(const QString &text);
    static QString formatTime(qint32 time);

public Q_SLOTS:
    void pressOk();
    void pressCancel();
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void say(const QString &caption, const QString &text);
    void fill();
    bool take();

    int m_request;
    qint64 m_instance;
    FormSession m_session;
    qint64 m_openedTrack = 0;
    bool m_shown = false;
    bool m_closed = false;
    QLineEdit *m_track = nullptr;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_time = nullptr;
};

} // namespace melodex
