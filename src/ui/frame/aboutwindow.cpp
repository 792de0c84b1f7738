// The About window.
#include "ui/frame/aboutwindow.h"

#include "app/globals.h"
#include "ui/browserservice.h"
#include "ui/form/formcall.h"
#include "ui/frame/compileinformationwindow.h"
#include "ui/layout/windowplacement.h"
#include "ui/resources/resources.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace melodex {

AboutWindow::AboutWindow(QWidget *parent) : QDialog(parent)
{
    initResources();
    setObjectName(QStringLiteral("About"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Melodex 98"));

    // The program icon comes first: clicking it shows how the program was built.
    auto *programIcon = new QToolButton(this);
    programIcon->setObjectName(QStringLiteral("programIcon"));
    programIcon->setIcon(QIcon(QStringLiteral(":/icons/melodex.png")));
    programIcon->setIconSize(QSize(64, 64));
    programIcon->setAutoRaise(true);
    programIcon->setToolTip(QStringLiteral("Compile Information"));
    connect(programIcon, &QToolButton::clicked, this, &AboutWindow::showCompileInformation);

    auto *title = new QLabel(QStringLiteral("Melodex 98"), this);
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto *version = new QLabel(QStringLiteral("v2.0"), this);
    auto *blurb = new QLabel(QStringLiteral("A catalogue of your music collection."), this);
    auto *cd = new QLabel(this);
    cd->setPixmap(QIcon(QStringLiteral(":/icons/albums.png")).pixmap(48, 48));

    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *web = new QPushButton(QStringLiteral("&Web Page"), this);
    web->setObjectName(QStringLiteral("webButton"));
    web->setToolTip(makerWebPage().toDisplayString());
    connect(web, &QPushButton::clicked, this, [] { openMakerWebPage(); });

    auto *texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(blurb);
    texts->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(programIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    top->addWidget(cd, 0, Qt::AlignTop);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(web);
    buttons->addWidget(ok);
    auto *all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addSpacing(12);
    all->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 180)));
    ok->setFocus();
    keepWindowPlacement(this, WindowStateIni, QStringLiteral("About"));
}

void AboutWindow::showCompileInformation()
{
    callForm(this, new CompileInformationWindow(this), {});
}

} // namespace melodex
