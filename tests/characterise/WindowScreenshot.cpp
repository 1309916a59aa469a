// Draws the "Characterise…" window after a whole run of one channel on the
// virtual board, as the documentation shows it: scripts/characterise-screenshot
// runs it. Usage: characterise_window_screenshot FILE.png
#include "RunRig.h"
#include "characterise/MeterConnection.h"
#include "characterise/qt/CharacteriseWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QSpinBox>

#include <iostream>

int main(int argc, char** argv) {
    using namespace qv4130::characterise;
    if (argc != 2) {
        std::cerr << "usage: characterise_window_screenshot FILE.png\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    constexpr int Channel = 3;
    RunRig rig(Channel);
    CharacteriseWindow window(
        {.output = &rig.output, .connectMeter = ConnectorFor(&rig.board, &rig.model), .simulatedMeter = true});
    window.findChild<QSpinBox*>("channel")->setValue(Channel);
    window.show();
    QEventLoop loop;
    QObject::connect(&window.Stepper(), &RunStepper::Ended, &loop, &QEventLoop::quit);
    window.findChild<QPushButton*>("start")->click();
    loop.exec();
    QCoreApplication::processEvents(); // the figures laid out
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::cerr << "can't write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
