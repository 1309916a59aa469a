#include "CharacterisePlotFile.h"

#include "LinearityPlots.h"

#include <QApplication>
#include <QFile>

#include <memory>

namespace qv4130::characterise {

bool SavePlotsPng(const Linearity& result, const RunRecord& record, const std::string& path) {
    std::unique_ptr<QApplication> application;
    if (QApplication::instance() == nullptr) {
        // No display is needed, nor wanted, for a picture in a file.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "qv4130ctl";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
    }
    return LinearityPlots::SavePng(result, record, QFile::decodeName(path.c_str()));
}

} // namespace qv4130::characterise
