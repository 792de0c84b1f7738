// LabelPreview: a label's page on screen, with the choice to print it.
#pragma once

#include "data/records.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QScrollArea;

namespace melodex {

/// Shows one label page at its size on paper (zoomable) with "&Print" and "Close". "&Print"
/// ends the preview with the answer to print (result Accepted).
class LabelPreview : public QDialog
{
    Q_OBJECT
public:
    LabelPreview(const LabelsRecord &label, QWidget *parent = nullptr);

    /// The shown page's scale: 1 shows the sheet at 96 pixels an inch.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    QLabel *page() const { return m_page; }

private:
    void render();

    LabelsRecord m_label;
    double m_zoom = 1.0;
    QComboBox *m_zoomBox = nullptr;
    QLabel *m_page = nullptr;
    QScrollArea *m_scroll = nullptr;
};

} // namespace melodex
