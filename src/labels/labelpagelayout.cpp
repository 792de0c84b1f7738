// LabelPageLayout: where the parts of a CD or cassette label sit on the printed page.
#include "labels/labelpagelayout.h"

namespace melodex {

namespace {

// Text keeps this far from the cut so that a slightly uneven cut takes no letters.
constexpr double TextMargin = 2.0;
constexpr double TitleHeight = 14.0;
constexpr double CaptionHeight = 5.0;

// The back card at the top left, the front insert below it to the right; the default picture
// position (6.792 in, 8.052 in) lands in the front insert's lower right part.
constexpr QPointF BackCardAt{12.0, 12.0};
constexpr QPointF FrontInsertAt{80.0, 150.0};
constexpr QPointF JCardAt{20.0, 20.0};

QRectF inset(const QRectF &r)
{
    return r.adjusted(TextMargin, TextMargin, -TextMargin, -TextMargin);
}

} // namespace

LabelPageLayout LabelPageLayout::cd()
{
    LabelPageLayout l;
    l.m_cd = true;
    const QRectF back(BackCardAt, QSizeF(backCardWidth, backCardHeight));
    const QRectF front(FrontInsertAt, QSizeF(frontInsertSide, frontInsertSide));
    l.m_pieces = {front, back};
    l.m_folds = {QRectF(back.left(), back.top(), cdSpineWidth, back.height()),
                 QRectF(back.right() - cdSpineWidth, back.top(), cdSpineWidth, back.height())};
    return l;
}

LabelPageLayout LabelPageLayout::cassette()
{
    LabelPageLayout l;
    l.m_cd = false;
    const double height = jCardPanelHeight + jCardSpineHeight + jCardFlapHeight;
    l.m_pieces = {QRectF(JCardAt, QSizeF(jCardWidth, height))};
    l.m_folds = {QRectF(JCardAt.x(), JCardAt.y() + jCardPanelHeight, jCardWidth, jCardSpineHeight)};
    return l;
}

LabelPageLayout LabelPageLayout::forType(const QString &labelType)
{
    return labelType.trimmed().compare(QStringLiteral("CD"), Qt::CaseInsensitive) == 0 ? cd()
                                                                                       : cassette();
}

QList<LabelPageLayout::Line> LabelPageLayout::lines() const
{
    QList<Line> out;
    for (const QRectF &r : m_pieces) {
        out.append({r.topLeft(), r.topRight(), false});
        out.append({r.topRight(), r.bottomRight(), false});
        out.append({r.bottomRight(), r.bottomLeft(), false});
        out.append({r.bottomLeft(), r.topLeft(), false});
    }
    // The CD spines fold along their inner edge, the J-card spine along both of its edges.
    for (const QRectF &f : m_folds) {
        if (m_cd) {
            const double x = f.left() == m_pieces.at(1).left() ? f.right() : f.left();
            out.append({QPointF(x, f.top()), QPointF(x, f.bottom()), true});
        } else {
            out.append({f.topLeft(), f.topRight(), true});
            out.append({f.bottomLeft(), f.bottomRight(), true});
        }
    }
    return out;
}

QRectF LabelPageLayout::area(Area a) const
{
    if (m_cd) {
        const QRectF front = m_pieces.at(0);
        const QRectF back = m_pieces.at(1);
        const QRectF panel = back.adjusted(cdSpineWidth, 0, -cdSpineWidth, 0);
        switch (a) {
        case Area::FrontTitle:
            return inset(QRectF(front.topLeft(), QSizeF(front.width(), TitleHeight)));
        case Area::FrontCover:
            return inset(front.adjusted(0, TitleHeight, 0, 0));
        case Area::BackTitle:
            return inset(QRectF(panel.topLeft(), QSizeF(panel.width(), TitleHeight)));
        case Area::BackCover:
            return inset(panel.adjusted(0, TitleHeight, 0, 0));
        case Area::LeftSpine:
            return m_folds.at(0).adjusted(0.5, TextMargin, -0.5, -TextMargin);
        case Area::RightSpine:
            return m_folds.at(1).adjusted(0.5, TextMargin, -0.5, -TextMargin);
        default:
            return {};
        }
    }
    const QRectF card = m_pieces.at(0);
    const QRectF panel(card.topLeft(), QSizeF(card.width(), jCardPanelHeight));
    const QRectF spine = m_folds.at(0);
    const QRectF flap(spine.bottomLeft(), QSizeF(card.width(), jCardFlapHeight));
    switch (a) {
    case Area::CassetteSideA:
        return inset(QRectF(panel.left(), panel.top(), panel.width() / 2, panel.height()))
            .adjusted(0, CaptionHeight, 0, 0);
    case Area::CassetteSideB:
        return inset(QRectF(panel.center().x(), panel.top(), panel.width() / 2, panel.height()))
            .adjusted(0, CaptionHeight, 0, 0);
    case Area::CassetteTitle:
        return spine.adjusted(TextMargin, 0.5, -TextMargin, -0.5);
    case Area::CassetteFlap:
        return inset(flap);
    default:
        return {};
    }
}

} // namespace melodex
