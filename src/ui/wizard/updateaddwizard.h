// UpdateAddWizard: the track editor of the album entry wizard.
#pragma once

#include "data/records.h"
#include "platform/store/keyedfile.h"
#include "ui/form/formcall.h"

#include <QDialog>

class QLineEdit;

namespace melodex {

/// Adds, changes or deletes one scratch track of wizard `instance`: "Track:", "&Artist:" (only
/// for a compilation, `UpdateAddWizard`; without it the form is `UpdateAddWizardNoArtist`),
/// "&Title:", "T&ime:" (h:mm:ss). A new track is numbered after the highest of the wizard and
/// added at once, so Cancel takes it away again; a track number another track has is refused
/// under "Track Order". Ctrl+' copies the focused field from the last track saved.
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

private:
    void say(const QString &caption, const QString &text);
    void fill();
    bool take(AddWizardRecord &r);

    int m_request;
    qint64 m_instance;
    bool m_withArtist;
    store::FileUse m_use;
    AddWizardRecord m_opened;
    store::Position m_position;
    bool m_done = false;
    QLineEdit *m_track = nullptr;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_time = nullptr;
};

} // namespace melodex
