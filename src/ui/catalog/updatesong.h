// UpdateSong: the song form, which adds, copies, changes and deletes one song.
#pragma once

#include "browse/formsession.h"
#include "ui/form/formcall.h"

#include <QDialog>

#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace melodex {

/// The song form: four tabs ("&General", "DJ/Custom", "Recording/Performance", "&Notes") over a
/// FormSession of the songs file. Media formats and categories are chosen from drop-down lists;
/// a category typed that does not exist can be added on the spot. "Default with Album
/// Information" fills the song from an album picked in SelectAlbum, and with the AutoAddToAlbums
/// preference OK links the song to the album of its artist and album title.
///
/// Fields are accepted as the focus leaves them and all together on OK; a field that fails its
/// check keeps the focus and stops the OK pass.
class UpdateSong : public QDialog
{
    Q_OBJECT
public:
    explicit UpdateSong(QWidget *parent = nullptr);
    ~UpdateSong() override;

    /// The form's record logic: numbering on MUS:ID, copying, the fields and their checks.
    FormSession::Settings sessionSettings();

    /// The procedure for the current ActionRequest (1 insert, 2 change, 3 delete, 4 copy of the
    /// song in the buffer) over `caller`; `then` gets ActionResponse when the form has finished.
    /// A new song goes to the album entry wizard
    /// when the AddMode preference asks for it and the wizard's procedure ("AddCompilation",
    /// "AddSingleArtist") is registered; with "Ask Each Time" and a blank new song, "Select Add
    /// Mode" asks first; otherwise the song is entered in this form.
    static void run(QWidget *caller, FormDone then);
    /// Goes on as the entry style `style` (a SongEntry::Style) says: a wizard or this form.
    static void runAs(QWidget *caller, int style, FormDone then);

    /// Entry (numbering, copying, deleting); true when the window is to be shown.
    bool start();

    FormSession &session() { return m_session; }
    QTabWidget *tabs() const { return m_tabs; }
    /// The entry of a field edited in a line ("MUS:Artist"); nullptr for other fields.
    QLineEdit *fieldEdit(const QString &name) const;
    QLabel *fieldLabel(const QString &name) const;
    QComboBox *mediaBox() const { return m_mediaBox; }
    QComboBox *categoryBox() const { return m_categoryBox; }
    /// The memo boxes: "MUS:Recording", "MUS:PerformanceNotes", "MUS:Notes".
    QPlainTextEdit *memoEdit(const QString &name) const;
    /// The "Side / Disc" choice for `side` ("", "A", "B", "1", "2").
    QAbstractButton *sideButton(const QString &side) const;
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *albumButton() const { return m_album; }

public Q_SLOTS:
    void pressOk();
    void pressCancel();
    /// "Default with Album Information".
    void defaultWithAlbum();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    struct Control
    {
        int field = -1; ///< session field; -1 for the category box
        QWidget *widget = nullptr;
    };

    void buildWindow();
    QLineEdit *addLine(QFormLayout *form, int sessionField, const QString &tip = {});
    void fillMedia();
    void fillCategories();
    void redisplay();
    void redisplayControl(const Control &c);
    bool acceptControl(const Control &c);
    bool acceptCategory();
    void takeUnchecked();
    void takeMemosAndSide();
    int controlOf(const QObject *o) const;
    void focusControl(const Control &c);
    void fieldLeft(int control, QWidget *to);

    std::vector<FormField> m_fields;
    FormSession m_session;
    QTabWidget *m_tabs = nullptr;
    std::vector<Control> m_controls;  ///< in the order of acceptance
    std::vector<QLineEdit *> m_edits; ///< by session field; nullptr for the media box
    std::vector<QLabel *> m_labels;   ///< by session field
    QComboBox *m_mediaBox = nullptr;
    QComboBox *m_categoryBox = nullptr;
    QButtonGroup *m_side = nullptr;
    QPlainTextEdit *m_recording = nullptr;
    QPlainTextEdit *m_performance = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_album = nullptr;
    std::vector<std::pair<QString, qint64>> m_categories; ///< name and id, by name
    QMetaObject::Connection m_focusWatch;
    bool m_acceptingAll = false;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace melodex
