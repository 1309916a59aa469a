#include "BareWindow.h"

#include "ui/FormGeometry.h"

#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace qv4130::bench {

namespace {
struct ButtonPlace {
    const char* caption;
    int top;
    int height;
};

// In twips, as the main window lays them out; all share left edge and width.
constexpr int ClientWidth = 2550;
constexpr int ClientHeight = 3150;
constexpr int ButtonLeft = 240;
constexpr int ButtonWidth = 2055;
constexpr ButtonPlace Buttons[] = {
    {"Mode &1 Operation", 240, 375},
    {"&Quit", 2640, 375},
    {"&About", 2160, 375},
    {"Power Down QV4130", 1680, 375},
    {"&Reset QV4130", 1200, 375},
    {"Mode &2 Operation", 720, 375},
    {"Test", 3480, 495},
};
} // namespace

BareWindow::BareWindow(QWidget* parent) : QMainWindow(parent) {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    SetClientSizeInTwips(*client, ClientWidth, ClientHeight, true);
    for (const ButtonPlace& place : Buttons) {
        auto* button = new QPushButton(QString::fromLatin1(place.caption), client);
        button->setFont(FormFont());
        PlaceInTwips(*button, ButtonLeft, place.top, ButtonWidth, place.height);
    }
    QMenu* menu = menuBar()->addMenu(QStringLiteral("P&rinter Port"));
    for (const char* caption : {"LPT1", "LPT2", "PRN"}) {
        menu->addAction(QString::fromLatin1(caption))->setCheckable(true);
    }
    // Sized by the client area and the menu bar, and fixed, as the main window is;
    // left to itself Qt would give the window a wider default.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

} // namespace qv4130::bench
