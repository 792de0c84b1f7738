// Proportional layout of hand-placed controls.
#include "ui/layout/proportionallayout.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>

namespace melodex {

namespace {

using Kind = ProportionalGeometry::ControlKind;

Kind kindOf(const QWidget *w)
{
    if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w))
        return Kind::Check;
    if (qobject_cast<const QAbstractButton *>(w))
        return Kind::Button;
    if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
        qobject_cast<const QAbstractSpinBox *>(w))
        return Kind::SingleLineInput;
    return Kind::Other;
}

bool isManagedByLayout(const QWidget *w)
{
    const QWidget *parent = w->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(w) >= 0;
}

// Containers whose children the program placed itself (as opposed to composite widgets, whose
// children are their own parts).
bool isPlainContainer(const QWidget *w)
{
    if (qobject_cast<const QGroupBox *>(w))
        return true;
    const QMetaObject *mo = w->metaObject();
    return mo == &QWidget::staticMetaObject || mo == &QFrame::staticMetaObject;
}

} // namespace

ProportionalLayout::ProportionalLayout(QWidget *window, int strategy)
    : QObject(window), m_strategy(strategy)
{
    QWidget *root = window;
    if (auto *mw = qobject_cast<QMainWindow *>(window); mw && mw->centralWidget())
        root = mw->centralWidget();
    addContainer(root, nullptr);
}

ProportionalLayout::~ProportionalLayout() = default;

void ProportionalLayout::addContainer(QWidget *container, QWidget *sizer)
{
    auto c = std::make_unique<Container>(
        Container{container, ProportionalGeometry(container->size()), {}, sizer, {}});
    if (sizer)
        c->sizerDesign = sizer->size();
    std::vector<std::pair<QWidget *, QWidget *>> nested;
    const QList<QWidget *> children =
        container->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow() || isManagedByLayout(child) || qobject_cast<QMenu *>(child) ||
            qobject_cast<QMenuBar *>(child))
            continue;
        c->geometry.addControl(child->geometry(),
                               ProportionalGeometry::ruleFor(m_strategy, kindOf(child)));
        c->controls.emplace_back(child);
        if (isPlainContainer(child) && !child->layout()) {
            nested.emplace_back(child, nullptr);
        } else if (auto *tabs = qobject_cast<QTabWidget *>(child)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (!tabs->widget(i)->layout())
                    nested.emplace_back(tabs->widget(i), tabs);
        } else if (auto *stack = qobject_cast<QStackedWidget *>(child)) {
            for (int i = 0; i < stack->count(); ++i)
                if (!stack->widget(i)->layout())
                    nested.emplace_back(stack->widget(i), stack);
        }
    }
    container->installEventFilter(this);
    m_containers.push_back(std::move(c));
    // Each container lays out its own children when it is resized, whether by this layout or by
    // its tab widget, so nested controls follow the size their container really got.
    for (const auto &[widget, widgetSizer] : nested)
        addContainer(widget, widgetSizer);
}

void ProportionalLayout::applyTo(Container &container)
{
    if (!container.widget)
        return;
    if (container.sizer) {
        // A page gets its size from its tab or stacked widget only once that is laid out (when
        // shown). The page's design size is the sizer's design size less what the sizer keeps
        // for itself (tab bar, frame), which is the same at every size.
        if (!container.sizer->isVisible() || container.widget->size().isEmpty())
            return;
        const QSize chrome = container.sizer->size() - container.widget->size();
        container.geometry.setDesignSize(container.sizerDesign - chrome);
        container.sizer = nullptr;
    }
    const auto placed = container.geometry.apply(container.widget->size());
    if (!placed)
        return;
    for (std::size_t i = 0; i < placed->size(); ++i)
        if (QWidget *control = container.controls[i])
            control->setGeometry((*placed)[i]);
}

void ProportionalLayout::apply()
{
    for (auto &c : m_containers)
        applyTo(*c);
}

void ProportionalLayout::release()
{
    for (auto &c : m_containers)
        if (c->widget)
            c->widget->removeEventFilter(this);
    m_containers.clear();
}

bool ProportionalLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        for (auto &c : m_containers) {
            if (c->widget == watched) {
                applyTo(*c);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace melodex
