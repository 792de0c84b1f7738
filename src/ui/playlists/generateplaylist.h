// GeneratePlaylist: the window that asks for a random playlist's size, dates, category and bias.
#pragma once

#include "playlists/playlistgenerator.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace melodex {

/// "Generate Play List": the settings of a random playlist. OK checks the dates and the category
/// (a name not in the list keeps the focus there) and generates; the window then closes.
class GeneratePlaylist : public QDialog
{
    Q_OBJECT
public:
    explicit GeneratePlaylist(QWidget *parent = nullptr);

    /// Opens the window modal to `parent`; `then` runs with the new playlist's number (0 when
    /// none was made) after it closed.
    static void open(QWidget *parent, std::function<void(qint32 playlist)> then);

    /// The random source of the draws (tests give a seeded one).
    void setRandom(QRandomGenerator *random) { m_random = random; }
    PlaylistGenerator::Result result() const { return m_result; }

    QSpinBox *sizeBox() const { return m_size; }
    QLineEdit *startDateEdit() const { return m_from; }
    QLineEdit *endDateEdit() const { return m_to; }
    QComboBox *categoryBox() const { return m_category; }
    QButtonGroup *weightingGroup() const { return m_weighting; }

public Q_SLOTS:
    void pressOk();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    bool readDate(QLineEdit *edit, qint32 &day);

    QSpinBox *m_size = nullptr;
    QLineEdit *m_from = nullptr;
    QLineEdit *m_to = nullptr;
    QComboBox *m_category = nullptr;
    QButtonGroup *m_weighting = nullptr;
    QRandomGenerator *m_random = nullptr;
    PlaylistGenerator::Result m_result;
    bool m_shown = false;
};

} // namespace melodex
