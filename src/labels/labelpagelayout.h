// LabelPageLayout: where the parts of a CD or cassette label sit on the printed page.
#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace melodex {

/// The geometry of one label page, in millimetres from the sheet's top left corner, so that the
/// printed parts can be cut out and fit the case. An A4 sheet holds one label.
///
/// CD: a front insert of 120 x 120 mm (the title above the front cover text) and a back card of
/// 151 x 118 mm whose two ends are 6.5 mm spines around a 138 mm back panel (title above the back
/// cover text). Cassette: a J-card 101 mm wide made of a 65 mm front panel (Side A and Side B in
/// two columns), a 12.5 mm spine (the title) and a 15 mm flap.
class LabelPageLayout
{
public:
    /// The places a label's texts and picture are drawn in.
    enum class Area {
        FrontTitle,
        FrontCover,
        BackTitle,
        BackCover,
        LeftSpine,
        RightSpine,
        CassetteSideA,
        CassetteSideB,
        CassetteTitle,
        CassetteFlap,
    };

    /// A line on the page: where to cut, or where the card folds.
    struct Line
    {
        QPointF from;
        QPointF to;
        bool fold = false;
    };

    static LabelPageLayout cd();
    static LabelPageLayout cassette();
    /// The CD layout for type "CD", the cassette layout for anything else.
    static LabelPageLayout forType(const QString &labelType);

    bool isCD() const { return m_cd; }
    static QSizeF pageSize() { return {210.0, 297.0}; }

    /// The outline of each piece to cut out: CD front insert and back card, or the J-card.
    QList<QRectF> pieces() const { return m_pieces; }
    /// Cut outlines and fold lines, to be drawn thin.
    QList<Line> lines() const;
    /// The rectangle a text is drawn in (inside its piece, with a small margin); empty for an
    /// area the layout does not have.
    QRectF area(Area a) const;

    /// Where the picture goes when the label gives no position, in thousandths of an inch (the
    /// unit of the label's ImagePositionX/Y): inside the front insert's lower right part.
    static constexpr int defaultImageX = 6792;
    static constexpr int defaultImageY = 8052;
    static constexpr double millimetresPerInch = 25.4;

    static constexpr double frontInsertSide = 120.0;
    static constexpr double backCardWidth = 151.0;
    static constexpr double backCardHeight = 118.0;
    static constexpr double cdSpineWidth = 6.5;
    static constexpr double jCardWidth = 101.0;
    static constexpr double jCardPanelHeight = 65.0;
    static constexpr double jCardSpineHeight = 12.5;
    static constexpr double jCardFlapHeight = 15.0;

private:
    bool m_cd = true;
    QList<QRectF> m_pieces;
    QList<QRectF> m_folds;
};

} // namespace melodex
