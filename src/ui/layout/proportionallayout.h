// Keeps a window's controls in proportion when the window is resized.
#pragma once

#include "layout/proportionalgeometry.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QWidget;

namespace melodex {

/// Proportional layout of a window whose controls are placed by position rather than by a Qt
/// layout. Set it up right after the window is built and before its placement is restored; it
/// applies itself after every resize, and is released with the window (or by release()).
///
/// Every control placed by hand is laid out: the window's own children, and the children of
/// group boxes, frames, plain container widgets and tab pages, each relative to its container.
/// Widgets that a Qt layout manages, menus and separate windows are left alone.
class ProportionalLayout : public QObject
{
    Q_OBJECT
public:
    /// `strategy` is ProportionalGeometry::ScaleAll (1) or KeepControlSizes (2). The layout is
    /// owned by `window`.
    ProportionalLayout(QWidget *window, int strategy);
    ~ProportionalLayout() override;

    /// Lays the controls out for the window's current size (nothing when it has not changed).
    void apply();
    /// Stops following the window's size; the controls stay where they are.
    void release();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Container
    {
        QPointer<QWidget> widget;
        ProportionalGeometry geometry;
        std::vector<QPointer<QWidget>> controls;
        /// For a tab or stack page: the widget that sizes it, until the page's design size is
        /// known.
        QPointer<QWidget> sizer;
        QSize sizerDesign;
    };
    void addContainer(QWidget *container, QWidget *sizer);
    void applyTo(Container &container);

    int m_strategy;
    std::vector<std::unique_ptr<Container>> m_containers;
};

} // namespace melodex
