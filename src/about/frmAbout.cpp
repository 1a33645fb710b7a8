// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/frmAbout.h"

#include "frame/Forms.h"
#include "frame/controls/AccessibleInterfaces.h"
#include "frame/controls/Pictures.h"
#include "frame/controls/WindowFont.h"

namespace tickwell {

namespace {
const QString productName = QStringLiteral("Tickwell Alarm Clock");
const QString version = QStringLiteral("1.1");
const QString author = QStringLiteral("Haldor Venn");
const QString authorAddress = QStringLiteral("haldor.venn@example.org");

void onBlack(Label& label, const QColor& colour)
{
    label.setForeColor(colour);
    label.setAttribute(Qt::WA_TranslucentBackground);
    label.setAutoFillBackground(false);
    label.shrinkTextToFit();
}
} // namespace

frmAbout::frmAbout(const Services&)
    : Image1(this, QStringLiteral("Image1"), { 240, 240, 480, 480 })
    , imgTock(this, QStringLiteral("imgTock"), { 960, 180, 2160, 600 })
    , lblProgramName(this, QStringLiteral("lblProgramName"), QStringLiteral("Tickwell Alarm Clock v0.0"),
          { 960, 960, 2175, 255 })
    , lblProgrammer(this, QStringLiteral("lblProgrammer"), QStringLiteral("Programmed By Haldor Venn"),
          { 960, 1200, 2175, 255 })
    , lblEmail([this](int index) {
        return new Label(
            this, QStringLiteral("lblEmail(%1)").arg(index), authorAddress, { 960, 1440, 2175, 375 });
    })
    , cmdClose(this, QStringLiteral("cmdClose"), QStringLiteral("Close"), { 1080, 1920, 1215, 375 })
{
    setObjectName(QStringLiteral("frmAbout"));
    // Always shown modal, over the window it was opened from.
    presentAs(*this, QAccessible::Dialog);
    setFont(windowFont());
    setFixedSize(twips(3375), twips(2475));
    // No caption text and no window icon; the frame stays, so that the
    // window can be moved and closed like any other.
    // An empty title would be filled in with the program's name by the
    // toolkit; a blank keeps the frame without a caption.
    setWindowTitle(QStringLiteral(" "));
    // An icon of its own, so that the program's icon is not put there; a
    // clear one, so that nothing shows.
    QPixmap clear(1, 1);
    clear.fill(Qt::transparent);
    setWindowIcon(QIcon(clear));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);

    Image1.setPicture(&aboutEmblem);
    imgTock.setPicture(&aboutBanner);
    onBlack(lblProgramName, QColor(255, 0, 0));
    onBlack(lblProgrammer, QColor(255, 0, 0));
    onBlack(lblEmail(0), QColor(255, 255, 0));
    lblEmail(0).setSelectable();

    // The button is the only control that takes the focus.
    cmdClose.setDefault(true);
    cmdClose.shrinkTextToFit();
    connect(&cmdClose, &QPushButton::clicked, this, &frmAbout::cmdClose_Click);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    lblProgramName.setCaption(productName + QStringLiteral(" v") + version);
    lblProgrammer.setCaption(QStringLiteral("Programmed by ") + author);
    // The window has no title; a screen reader names it by the program's name.
    setAccessibleName(lblProgramName.caption());
    raise();
}

void frmAbout::cmdClose_Click()
{
    Hide();
}

void frmAbout::Form_Unload()
{
    forms::frmAbout.clear(this);
}

} // namespace tickwell
