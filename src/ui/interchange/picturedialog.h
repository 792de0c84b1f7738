// The "Enter Picture..." dialog with which import and export fields get their picture.
#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

namespace melodex {

/// Asks for a display picture. Accepting a picture that does not begin with "@" (or that no
/// value can be read or written with) is refused with a message, and the entry keeps the focus.
class PictureDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PictureDialog(const QString &picture, QWidget *parent = nullptr);

    /// The entered picture without surrounding blanks.
    QString picture() const;
    QLineEdit *entry() const { return m_entry; }

public Q_SLOTS:
    void accept() override;

private:
    QLineEdit *m_entry;
};

/// Receives the accepted picture, or a blank one when the user cancelled or closed the window.
using PictureAnswer = std::function<void(const QString &picture)>;

/// Opens the picture dialog preset with `picture`, modal to `parent` only, and hands its answer
/// to `then` once it has closed.
void ImportExport_AskPicture(QWidget *parent, const QString &picture, PictureAnswer then);

} // namespace melodex
