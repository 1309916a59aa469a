#pragma once

#include "files/WholeFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string_view>

namespace qv4130::characterise {

// The window's files, written as every file the operator names is: a full disk
// leaves the old file, never half a new one, and a device node stays a device node.
inline bool SaveWhole(const QString& path, const QByteArray& bytes) {
    return !files::SaveWhole(QFile::encodeName(path).toStdString(),
                             std::string_view(bytes.constData(), bytes.size()));
}

} // namespace qv4130::characterise
