// RecordForm: the window of every record form, editing one record through a FormSession.
#pragma once

#include "browse/formsession.h"
#include "ui/form/formsettings.h"

#include <QDialog>

#include <vector>

class QLineEdit;
class QPushButton;

namespace melodex {

/// A form window: one entry field per form field, OK and Cancel. Fields are validated as they
/// are left and all together on OK; the record is written by the session on completion. Every
/// way out (OK, Cancel, Esc, the close box) ends in the session's closing, which sets
/// ActionResponse.
class RecordForm : public QDialog
{
    Q_OBJECT
public:
    explicit RecordForm(FormSettings settings, QWidget *parent = nullptr);
    ~RecordForm() override;

    /// Entry (numbering, deleting); true when the window is to be shown (see openForm()).
    bool start();

    FormSession &session() { return m_session; }
    QLineEdit *fieldEdit(int index) const { return m_edits[size_t(index)]; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

public Q_SLOTS:
    void pressOk();
    void pressCancel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void redisplay();
    void redisplayField(int index);
    void fieldLeft(int index, QWidget *to);
    void focusField(int index);
    int editIndex(const QObject *o) const;

    FormSettings m_settings;
    FormSession m_session;
    std::vector<QLineEdit *> m_edits;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QMetaObject::Connection m_focusWatch;
    bool m_acceptingAll = false;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace melodex
